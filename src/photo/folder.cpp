#include "photo/folder.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace {

bool IsPictureName(const char *name) {
    const char *dot = std::strrchr(name, '.');
    if (!dot) return false;
    for (const char *extension : {".jpg", ".jpeg", ".png", ".bmp"})
        if (lstrcmpiA(dot, extension) == 0) return true;
    return false;
}

}  // namespace

std::vector<std::string> PhotoFilesIn(const std::string &folder) {
    std::string base = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((base + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsPictureName(found.cFileName))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end(),
              [](const std::string &a, const std::string &b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
    if (names.size() > kMostPicturesInAFolder) names.resize(kMostPicturesInAFolder);
    for (std::string &name : names) name = base + name;
    return names;
}
