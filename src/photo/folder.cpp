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

constexpr DWORD kNotEntered = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT;

// One name of a folder: a picture or a subfolder to enter.
struct Entry {
    std::wstring name;
    bool folder;
};

// Walks a tree depth first, each folder's names in the system's order, so
// that paths come out sorted as folder.h says without sorting them all.
class Listing {
public:
    explicit Listing(const std::function<bool(size_t)> &keepGoing) : keepGoing_(keepGoing) {}

    std::vector<std::string> found;

    // False once the listing is over: full, or stopped by the caller.
    bool List(const std::wstring &base) {
        if (!Continue()) return false;
        std::vector<Entry> entries;
        WIN32_FIND_DATAW file;
        HANDLE search = FindFirstFileW((base + L"*").c_str(), &file);
        if (search == INVALID_HANDLE_VALUE) return true;
        do {
            const WCHAR *name = file.cFileName;
            if (file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0) continue;
                if (file.dwFileAttributes & kNotEntered) continue;
                entries.push_back({name, true});
            } else if (IsPictureName(name)) {
                entries.push_back({name, false});
            }
        } while (FindNextFileW(search, &file));
        FindClose(search);
        // Two names the system holds equal keep a fixed order all the same.
        std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
            int order = lstrcmpiW(a.name.c_str(), b.name.c_str());
            return order != 0 ? order < 0 : a.name < b.name;
        });
        const std::string prefix = Utf8(base);
        for (const Entry &entry : entries) {
            if (entry.folder) {
                if (!List(base + entry.name + L"\\")) return false;
                continue;
            }
            found.push_back(prefix + Utf8(entry.name));
            if (found.size() >= kMostPicturesInAFolder) return false;
            if (found.size() % kPicturesBetweenProgress == 0 && !Continue()) return false;
        }
        return true;
    }

private:
    bool Continue() { return !keepGoing_ || keepGoing_(found.size()); }

    const std::function<bool(size_t)> &keepGoing_;
};

}  // namespace

std::vector<std::string> PhotoFilesIn(const std::string &folder, const std::function<bool(size_t found)> &keepGoing) {
    std::string base = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
    Listing listing(keepGoing);
    listing.List(Wide(base));
    return std::move(listing.found);
}
