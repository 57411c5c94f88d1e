// Modules: the program itself with its compiled resources, and stand-ins
// for the system DLLs it loads by name.
#include "kernel.h"
#include "../testing/hooks.h"

#include <strings.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>

// The compiled resource file, embedded by the build.
extern "C" const unsigned char qmsaver_res_data[];
extern "C" const size_t qmsaver_res_size;

namespace headless {

namespace {

// Handles of stand-in modules; the program's own instance is kMainInstance.
constexpr uintptr_t kMainInstance = 0x400000;
constexpr uintptr_t kFirstModule = 0x10000000;

struct Module {
    std::string name;
    std::map<std::string, FARPROC> exports;
    bool preloaded = false;
    int loads = 0;
};

std::vector<Module> &modules() {
    static std::vector<Module> m;
    return m;
}

std::map<std::string, std::map<std::string, FARPROC>> &systemModules() {
    static std::map<std::string, std::map<std::string, FARPROC>> m;
    return m;
}

Module *FindModule(const std::string &name) {
    for (Module &m : modules())
        if (strcasecmp(m.name.c_str(), name.c_str()) == 0) return &m;
    return nullptr;
}

Module *ModuleFromHandle(HMODULE h) {
    uintptr_t v = reinterpret_cast<uintptr_t>(h);
    if (v < kFirstModule || (v - kFirstModule) % 0x10000 != 0) return nullptr;
    size_t index = (v - kFirstModule) / 0x10000;
    return index < modules().size() ? &modules()[index] : nullptr;
}

HMODULE HandleOf(const Module &m) {
    return reinterpret_cast<HMODULE>(kFirstModule + 0x10000 * (&m - modules().data()));
}

uint32_t Read32(const BYTE *p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t Read16(const BYTE *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// A type or name field of a resource header: 0xFFFF and an id, or a
// NUL-terminated UTF-16 string. Returns the bytes it occupies.
size_t ReadNameField(const BYTE *p, const BYTE *end, WORD &id, std::u16string &name) {
    if (end - p >= 4 && Read16(p) == 0xFFFF) {
        id = Read16(p + 2);
        return 4;
    }
    const BYTE *q = p;
    while (end - q >= 2 && Read16(q) != 0) {
        name.push_back(static_cast<char16_t>(Read16(q)));
        q += 2;
    }
    return static_cast<size_t>(q - p) + 2;
}

std::vector<Resource> ParseResources(const BYTE *data, size_t size) {
    std::vector<Resource> list;
    const BYTE *p = data, *end = data + size;
    while (end - p >= 32) {
        uint32_t dataSize = Read32(p), headerSize = Read32(p + 4);
        if (headerSize < 32 || headerSize > static_cast<size_t>(end - p) ||
            dataSize > static_cast<size_t>(end - p) - headerSize)
            break;
        Resource r;
        const BYTE *h = p + 8, *hend = p + headerSize;
        h += ReadNameField(h, hend, r.typeId, r.typeName);
        h += ReadNameField(h, hend, r.nameId, r.name);
        h = p + ((h - p + 3) & ~size_t{3});
        if (hend - h >= 16) r.language = Read16(h + 6);
        r.data = p + headerSize;
        r.size = dataSize;
        // The first entry of a .res file is an empty marker.
        if (!(r.typeId == 0 && r.typeName.empty())) list.push_back(r);
        p += headerSize + ((dataSize + 3) & ~uint32_t{3});
    }
    return list;
}

std::string Utf8Of(const std::u16string &text) {
    std::wstring units(text.begin(), text.end());
    return Utf8(units.c_str(), static_cast<int>(units.size()));
}

bool NameMatches(const ResourceId &want, WORD id, const std::u16string &name) {
    if (want.name.empty()) return name.empty() && id == want.id;
    return !name.empty() && SameName(Utf8Of(name), want.name);
}

// "#123" names the numeric id 123.
ResourceId Named(std::string name) {
    ResourceId r;
    if (!name.empty() && name[0] == '#') r.id = static_cast<WORD>(std::atoi(name.c_str() + 1));
    else r.name = std::move(name);
    return r;
}

}  // namespace

const std::vector<Resource> &Resources() {
    static const std::vector<Resource> list = ParseResources(qmsaver_res_data, qmsaver_res_size);
    return list;
}

ResourceId ResourceId::From(LPCWSTR wide) {
    if (IS_INTRESOURCE(wide)) return ResourceId{LOWORD(reinterpret_cast<ULONG_PTR>(wide)), {}};
    return Named(Utf8(wide));
}

namespace {

constexpr LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
constexpr LANGID kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The user's UI language as QMSAVER_UI_LANGUAGE gives it ("ja", "en", or a
// LANGID in hexadecimal such as 0x040c); Japanese without it, the Windows
// the saver was made for.
LANGID EnvironmentLanguage() {
    const char *text = std::getenv("QMSAVER_UI_LANGUAGE");
    if (!text || !*text) return kJapanese;
    if (strcasecmp(text, "ja") == 0) return kJapanese;
    if (strcasecmp(text, "en") == 0) return kEnglishUs;
    char *end = nullptr;
    unsigned long value = std::strtoul(text, &end, 16);
    if (*end == 0 && value > 0 && value <= 0xFFFF) return static_cast<LANGID>(value);
    return kJapanese;
}

LANGID &uiLanguage() {
    static LANGID language = EnvironmentLanguage();
    return language;
}

const bool languageRegistered = (OnReset([] { uiLanguage() = EnvironmentLanguage(); }), true);

bool SameResource(const Resource &r, const ResourceId &name, const ResourceId &type) {
    return NameMatches(type, r.typeId, r.typeName) && NameMatches(name, r.nameId, r.name);
}

}  // namespace

LANGID UiLanguage() { return uiLanguage(); }
void SetUiLanguage(LANGID language) { uiLanguage() = language; }

// Among the languages a resource comes in, as Windows' loader picks: the UI
// language itself, then another of its primary language (its neutral
// sublanguage first, then its default one), then a language-neutral entry,
// then English (US), and else the first there is.
const Resource *FindResourceRecord(const ResourceId &name, const ResourceId &type) {
    const LANGID want = UiLanguage();
    const Resource *best = nullptr;
    int bestRank = INT_MAX;
    for (const Resource &r : Resources()) {
        if (!SameResource(r, name, type)) continue;
        int rank;
        if (r.language == want) rank = 0;
        else if (PRIMARYLANGID(r.language) == PRIMARYLANGID(want) && PRIMARYLANGID(want) != LANG_NEUTRAL)
            rank = SUBLANGID(r.language) == SUBLANG_NEUTRAL ? 1 : SUBLANGID(r.language) == SUBLANG_DEFAULT ? 2 : 3;
        else if (PRIMARYLANGID(r.language) == LANG_NEUTRAL) rank = 4;
        else if (r.language == kEnglishUs) rank = 5;
        else rank = 6;
        if (rank < bestRank) best = &r, bestRank = rank;
        if (rank == 0) break;
    }
    return best;
}

// One language asked for: that entry, else one in no language (as Wine's
// loader answers; a resource in other languages only is not there).
const Resource *FindResourceRecord(const ResourceId &name, const ResourceId &type, LANGID language) {
    const Resource *neutral = nullptr;
    for (const Resource &r : Resources()) {
        if (!SameResource(r, name, type)) continue;
        if (r.language == language) return &r;
        if (!neutral && PRIMARYLANGID(r.language) == LANG_NEUTRAL) neutral = &r;
    }
    return neutral;
}

HINSTANCE MainInstance() { return reinterpret_cast<HINSTANCE>(kMainInstance); }

void RegisterModule(const std::string &name, const std::map<std::string, FARPROC> &exports, bool preloaded) {
    Module *m = FindModule(name);
    if (!m) {
        modules().push_back({});
        m = &modules().back();
    }
    *m = Module{name, exports, preloaded, 0};
}

int ModuleLoadCount(const std::string &name) {
    Module *m = FindModule(name);
    return m ? m->loads : 0;
}

void RegisterSystemModule(const std::string &name, const std::map<std::string, FARPROC> &exports) {
    systemModules()[name] = exports;
    RegisterModule(name, exports, true);
}

static const bool registered = (OnReset([] {
                                    modules().clear();
                                    for (const auto &[name, exports] : systemModules()) RegisterModule(name, exports, true);
                                }),
                                true);

}  // namespace headless

using namespace headless;

HMODULE WINAPI LoadLibraryW(LPCWSTR name) {
    Module *m = name ? FindModule(Utf8(name)) : nullptr;
    if (!m) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    m->loads++;
    return HandleOf(*m);
}

BOOL WINAPI FreeLibrary(HMODULE module) {
    Module *m = ModuleFromHandle(module);
    if (!m || m->loads == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    m->loads--;
    return TRUE;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    Module *m = ModuleFromHandle(module);
    if (!m || (m->loads == 0 && !m->preloaded) || !name || IS_INTRESOURCE(name)) {
        SetLastError(m ? ERROR_PROC_NOT_FOUND : ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    auto it = m->exports.find(name);
    if (it == m->exports.end()) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return it->second;
}

HMODULE WINAPI GetModuleHandleW(LPCWSTR name) {
    if (!name) return MainInstance();
    Module *m = FindModule(Utf8(name));
    if (!m || (m->loads == 0 && !m->preloaded)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return HandleOf(*m);
}

namespace {

// A string of the string table, as UTF-8; false when there is none.
bool TableString(HINSTANCE instance, UINT id, std::string &out) {
    if (instance != nullptr && instance != MainInstance()) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return false;
    }
    // Strings are kept sixteen to a block: block id / 16 + 1, entry id % 16.
    const Resource *block = FindResourceRecord(ResourceId{static_cast<WORD>(id / 16 + 1), {}}, ResourceId{6, {}});
    std::u16string text;
    if (block) {
        const BYTE *p = block->data, *end = block->data + block->size;
        for (UINT i = 0; i <= id % 16 && end - p >= 2; i++) {
            uint16_t len = Read16(p);
            p += 2;
            if (static_cast<size_t>(end - p) < len * 2u) break;
            if (i == id % 16) {
                for (uint16_t k = 0; k < len; k++) text.push_back(static_cast<char16_t>(Read16(p + 2 * k)));
            }
            p += len * 2;
        }
    }
    if (text.empty()) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return false;
    }
    out = Utf8Of(text);
    return true;
}

// A resource in the default pick, or in one language when exact.
HRSRC FindResourceOf(HMODULE module, const ResourceId &name, const ResourceId &type, bool exact = false,
                     LANGID language = 0) {
    if (module != nullptr && module != MainInstance()) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    const Resource *r = FindResourceRecord(name, type);
    if (!r) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    if (exact) {
        r = FindResourceRecord(name, type, language);
        if (!r) {
            SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
            return nullptr;
        }
    }
    return reinterpret_cast<HRSRC>(const_cast<Resource *>(r));
}

}  // namespace

// A size of 0 asks for a pointer to the string itself, read only: not
// something the program does.
int WINAPI LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int size) {
    std::string text;
    if (!buffer) return 0;
    if (size == 0) {
        ReportUnimplemented("LoadStringW for a pointer to the resource");
        return 0;
    }
    bool found = TableString(instance, id, text);
    if (size < 0) return 0;
    if (!found) {
        buffer[0] = 0;
        return 0;
    }
    return static_cast<int>(CopyOut(text, buffer, static_cast<size_t>(size), true));
}

HRSRC WINAPI FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
    return FindResourceOf(module, ResourceId::From(name), ResourceId::From(type));
}

// MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL) asks for the thread's language,
// with the same fallbacks as FindResourceW; any other language must be there
// or the resource be in no language.
HRSRC WINAPI FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language) {
    return FindResourceOf(module, ResourceId::From(name), ResourceId::From(type), language != 0, language);
}

LANGID WINAPI GetUserDefaultUILanguage() { return UiLanguage(); }
LANGID WINAPI GetSystemDefaultUILanguage() { return UiLanguage(); }
LANGID WINAPI GetThreadUILanguage() { return UiLanguage(); }

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC resource) {
    if (!resource) return nullptr;
    return const_cast<BYTE *>(reinterpret_cast<const Resource *>(resource)->data);
}

LPVOID WINAPI LockResource(HGLOBAL data) { return data; }

DWORD WINAPI SizeofResource(HMODULE, HRSRC resource) {
    return resource ? reinterpret_cast<const Resource *>(resource)->size : 0;
}
