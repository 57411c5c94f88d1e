#include "photo/folder.h"

#include "text/text.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

namespace {

bool IsPictureName(const WCHAR *name) {
    const WCHAR *dot = std::wcsrchr(name, L'.');
    if (!dot) return false;
    for (const WCHAR *extension : {L".jpg", L".jpeg", L".png", L".bmp"})
        if (lstrcmpiW(dot, extension) == 0) return true;
    return false;
}

}  // namespace

std::vector<std::string> PhotoFilesIn(const std::string &folder) {
    std::string base = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
    std::vector<std::string> names;
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW file;
    HANDLE search = FindFirstFileW(Wide(base + "*").c_str(), &file);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsPictureName(file.cFileName))
            found.push_back(file.cFileName);
    } while (FindNextFileW(search, &file));
    FindClose(search);
    std::sort(found.begin(), found.end(),
              [](const std::wstring &a, const std::wstring &b) { return lstrcmpiW(a.c_str(), b.c_str()) < 0; });
    if (found.size() > kMostPicturesInAFolder) found.resize(kMostPicturesInAFolder);
    for (const std::wstring &name : found) names.push_back(base + Utf8(name));
    return names;
}
