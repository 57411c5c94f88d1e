#include "text/language.h"

#include "text/text.h"

#include <cstdarg>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

std::optional<Language> inUse;

// A resource of the language in use, its bytes and size; null when that
// language has none.
const BYTE *Resource(HINSTANCE instance, LPCWSTR type, UINT id, DWORD *size) {
    HRSRC found = FindResourceExW(instance, type, MAKEINTRESOURCEW(id), LanguageId(LanguageInUse()));
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    if (!loaded) return nullptr;
    if (size) *size = SizeofResource(instance, found);
    return static_cast<const BYTE *>(LockResource(loaded));
}

}  // namespace

Language LanguageFor(std::string_view setting, LANGID uiLanguage) {
    if (SameName(setting, "ja")) return Language::kJapanese;
    if (SameName(setting, "en")) return Language::kEnglish;
    return PRIMARYLANGID(uiLanguage) == LANG_JAPANESE ? Language::kJapanese : Language::kEnglish;
}

void UseLanguage(Language language) { inUse = language; }

Language LanguageInUse() {
    if (!inUse) inUse = LanguageFor("", GetUserDefaultUILanguage());
    return *inUse;
}

LANGID LanguageId(Language language) {
    return language == Language::kJapanese ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                                           : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

std::string LoadText(HINSTANCE instance, UINT id) {
    // Strings are kept sixteen to a block, each a length in UTF-16 units
    // and its units.
    DWORD size = 0;
    const BYTE *block = Resource(instance, RT_STRING, id / 16 + 1, &size);
    if (!block) {
        WCHAR buffer[1024];
        int length = LoadStringW(instance, id, buffer, 1024);
        return length > 0 ? Utf8(std::wstring_view(buffer, static_cast<size_t>(length))) : std::string();
    }
    const BYTE *p = block, *end = block + size;
    for (UINT i = 0; end - p >= 2; i++) {
        size_t length = p[0] | p[1] << 8;
        p += 2;
        if (static_cast<size_t>(end - p) < length * 2) break;
        if (i == id % 16) {
            std::wstring text(length, 0);
            for (size_t k = 0; k < length; k++) text[k] = static_cast<WCHAR>(p[2 * k] | p[2 * k + 1] << 8);
            return Utf8(text);
        }
        p += length * 2;
    }
    return {};
}

std::string Text(UINT id) { return LoadText(GetModuleHandleW(nullptr), id); }

std::string FormatText(UINT id, ...) {
    std::string format = Text(id);
    va_list args, again;
    va_start(args, id);
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, format.c_str(), args);
    va_end(args);
    std::string text;
    if (length > 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format.c_str(), again);
        text.assign(buffer.data(), static_cast<size_t>(length));
    }
    va_end(again);
    return text;
}

INT_PTR RunDialog(HINSTANCE instance, int templateId, HWND owner, DLGPROC procedure, LPARAM param) {
    auto *dialog = reinterpret_cast<const DLGTEMPLATE *>(Resource(instance, RT_DIALOG, templateId, nullptr));
    if (!dialog) return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), owner, procedure, param);
    return DialogBoxIndirectParamW(instance, dialog, owner, procedure, param);
}

HWND MakeDialog(HINSTANCE instance, int templateId, HWND owner, DLGPROC procedure, LPARAM param) {
    auto *dialog = reinterpret_cast<const DLGTEMPLATE *>(Resource(instance, RT_DIALOG, templateId, nullptr));
    if (!dialog) return CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), owner, procedure, param);
    return CreateDialogIndirectParamW(instance, dialog, owner, procedure, param);
}

void UseMenuOf(HWND window, HINSTANCE instance, int menuId) {
    const BYTE *bytes = Resource(instance, RT_MENU, menuId, nullptr);
    HMENU menu = bytes ? LoadMenuIndirectW(bytes) : nullptr;
    if (!menu) return;
    HMENU old = GetMenu(window);
    if (!SetMenu(window, menu)) {
        DestroyMenu(menu);
        return;
    }
    if (old) DestroyMenu(old);
}
