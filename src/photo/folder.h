// The pictures of a folder of the user's, as the editor lists them.
#pragma once

#include <string>
#include <vector>

// The most pictures a folder lists: the player counts a show's in 16 bits.
constexpr size_t kMostPicturesInAFolder = 32767;

// The full paths of the folder's JPEG, PNG and BMP files (by their
// extensions, in any case), sorted by name as the system compares names;
// at most kMostPicturesInAFolder of them.
std::vector<std::string> PhotoFilesIn(const std::string &folder);
