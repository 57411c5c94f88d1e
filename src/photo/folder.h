// The pictures of a folder of the user's, as the editor lists them.
#pragma once

#include <functional>
#include <string>
#include <vector>

// The most pictures a folder lists: the player counts a show's in 16 bits.
constexpr size_t kMostPicturesInAFolder = 32767;

// The full paths of the JPEG, PNG and BMP files (by their extensions, in
// any case) of the folder and of its subfolders at any depth; at most
// kMostPicturesInAFolder of them, the first ones in this order:
//
// Paths are sorted folder by folder: names in one folder compare as the
// system compares them (lstrcmpiW, case ignored), and a path runs before
// every longer path it begins: the separator sorts before any character.
// So "A\Z.jpg" comes before "A.jpg" and before "A b\C.jpg", and a folder's
// pictures and subfolders keep the order the folder's names have.
//
// Subfolders that are hidden or system folders, or reparse points (links
// and junctions, which may lead back up the tree), are not entered; the
// folder asked for is listed whatever its own attributes. Files are listed
// whatever theirs.
//
// keepGoing, when given, is called as each folder is entered and after
// every kPicturesBetweenProgress pictures found, with the number found so
// far; when it returns false the listing stops and gives what it found.
constexpr size_t kPicturesBetweenProgress = 64;
std::vector<std::string> PhotoFilesIn(const std::string &folder,
                                      const std::function<bool(size_t found)> &keepGoing = nullptr);
