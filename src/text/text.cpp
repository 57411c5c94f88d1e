#include "text/text.h"

#include <algorithm>
#include <cstring>
#include <vector>

std::wstring Wide(std::string_view utf8) {
    std::wstring wide;
    if (utf8.empty()) return wide;
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (length <= 0) return wide;
    wide.resize(static_cast<size_t>(length));
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

std::string Utf8(std::wstring_view wide) {
    std::string utf8;
    if (wide.empty()) return utf8;
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                     nullptr);
    if (length <= 0) return utf8;
    utf8.resize(static_cast<size_t>(length));
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length, nullptr,
                        nullptr);
    return utf8;
}

std::string Utf8(const WCHAR *wide) { return wide ? Utf8(std::wstring_view(wide)) : std::string(); }

std::string FromCodePage(UINT codePage, std::string_view text) {
    if (text.empty()) return {};
    int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return Utf8(wide);
}

void CopyText(char *slot, size_t size, std::string_view text) {
    if (size == 0) return;
    size_t n = std::min(text.size(), size - 1);
    // Back off a cut character: its continuation bytes are 10xxxxxx.
    if (n < text.size())
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) n--;
    std::memcpy(slot, text.data(), n);
    slot[n] = 0;
}

size_t WideLength(std::string_view utf8) { return Wide(utf8).size(); }

bool SameName(std::string_view a, std::string_view b) {
    std::wstring wa = Wide(a), wb = Wide(b);
    return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size()),
                                TRUE) == CSTR_EQUAL;
}

std::string WindowText(HWND window) {
    int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::vector<WCHAR> buffer(static_cast<size_t>(length) + 1);
    int got = GetWindowTextW(window, buffer.data(), length + 1);
    return Utf8(std::wstring_view(buffer.data(), static_cast<size_t>(got > 0 ? got : 0)));
}

BOOL SetWindowTextUtf8(HWND window, std::string_view text) { return SetWindowTextW(window, Wide(text).c_str()); }

std::string ItemText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

BOOL SetItemText(HWND dialog, int id, std::string_view text) {
    return SetDlgItemTextW(dialog, id, Wide(text).c_str());
}

LRESULT SendItemText(HWND dialog, int id, UINT message, WPARAM wParam, std::string_view text) {
    std::wstring wide = Wide(text);
    return SendDlgItemMessageW(dialog, id, message, wParam, reinterpret_cast<LPARAM>(wide.c_str()));
}

std::string ListItemText(HWND control, int index, bool combo) {
    LRESULT length = SendMessageW(control, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) return {};
    std::vector<WCHAR> buffer(static_cast<size_t>(length) + 1);
    LRESULT got = SendMessageW(control, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(index),
                               reinterpret_cast<LPARAM>(buffer.data()));
    if (got < 0) return {};
    return Utf8(std::wstring_view(buffer.data(), static_cast<size_t>(got)));
}

int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type) {
    return MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), type);
}

namespace {

HFILE AsHfile(HANDLE file) {
    // Kernel handles fit in 32 bits; the handle-based calls take them so.
    return file == INVALID_HANDLE_VALUE ? HFILE_ERROR : static_cast<HFILE>(HandleToLong(file));
}

}  // namespace

HFILE OpenForReading(const char *path) {
    return AsHfile(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
}

HFILE OpenForUpdate(const char *path) {
    return AsHfile(CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
}

HFILE CreateAnew(const char *path) {
    return AsHfile(CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
}

DWORD FileAttributes(const char *path) { return GetFileAttributesW(Wide(path).c_str()); }
BOOL RemoveFile(const char *path) { return DeleteFileW(Wide(path).c_str()); }
BOOL MakeFolder(const char *path) { return CreateDirectoryW(Wide(path).c_str(), nullptr); }

BOOL MoveFileTo(const char *from, const char *to, DWORD flags) {
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), flags);
}

std::string CurrentFolder() {
    DWORD length = GetCurrentDirectoryW(0, nullptr);
    if (length == 0) return {};
    std::vector<WCHAR> buffer(length);
    DWORD got = GetCurrentDirectoryW(length, buffer.data());
    return Utf8(std::wstring_view(buffer.data(), got < length ? got : 0));
}

BOOL EnterFolder(const char *path) { return SetCurrentDirectoryW(Wide(path).c_str()); }
