// Listing a folder of the user's pictures, its subfolders included, with a
// window that counts what is found and whose Cancel stops the listing.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The photos of folder and its subfolders (PhotoFilesIn). The owner takes
// no input meanwhile; a listing that takes longer than a moment shows the
// count in template 2006, and its Cancel keeps what was found until then.
std::vector<std::string> ListPhotoFolder(HINSTANCE instance, HWND owner, const std::string &folder);
