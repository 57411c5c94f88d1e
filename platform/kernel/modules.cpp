// Modules: the program itself with its compiled resources, and stand-ins
// for the system DLLs it loads by name.
#include "kernel.h"
#include "../testing/hooks.h"

#include <iconv.h>
#include <strings.h>

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

bool NameMatches(LPCSTR want, WORD id, const std::u16string &name) {
    if (IS_INTRESOURCE(want)) return name.empty() && id == LOWORD(want);
    if (!name.empty()) {
        std::string ansi = ToAnsi(name);
        if (want[0] == '#') return false;
        return strcasecmp(ansi.c_str(), want) == 0;
    }
    // "#123" names the numeric id 123.
    return want[0] == '#' && std::atoi(want + 1) == id;
}

}  // namespace

const std::vector<Resource> &Resources() {
    static const std::vector<Resource> list = ParseResources(qmsaver_res_data, qmsaver_res_size);
    return list;
}

const Resource *FindResourceRecord(LPCSTR name, LPCSTR type) {
    for (const Resource &r : Resources())
        if (NameMatches(type, r.typeId, r.typeName) && NameMatches(name, r.nameId, r.name)) return &r;
    return nullptr;
}

HINSTANCE MainInstance() { return reinterpret_cast<HINSTANCE>(kMainInstance); }

std::string ToAnsi(const std::u16string &text) {
    iconv_t cd = iconv_open("CP932", "UTF-16LE");
    std::string out;
    if (cd == reinterpret_cast<iconv_t>(-1)) return out;
    std::string in;
    for (char16_t c : text) {
        in.push_back(static_cast<char>(c & 0xFF));
        in.push_back(static_cast<char>(c >> 8));
    }
    out.resize(text.size() * 2 + 4);
    char *src = in.data(), *dst = out.data();
    size_t srcLeft = in.size(), dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1)) break;
        if (dstLeft == 0) break;
        // A character code page 932 lacks becomes '?', as WideCharToMultiByte does.
        *dst++ = '?';
        dstLeft--;
        src += 2;
        srcLeft -= 2;
    }
    out.resize(out.size() - dstLeft);
    iconv_close(cd);
    return out;
}

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

HMODULE WINAPI LoadLibraryA(LPCSTR name) {
    Module *m = name ? FindModule(name) : nullptr;
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

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    if (!name) return MainInstance();
    Module *m = FindModule(name);
    if (!m || (m->loads == 0 && !m->preloaded)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return HandleOf(*m);
}

int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size) {
    if (!buffer) return 0;
    if (instance != nullptr && instance != MainInstance()) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return 0;
    }
    // Strings are kept sixteen to a block: block id / 16 + 1, entry id % 16.
    const Resource *block = FindResourceRecord(MAKEINTRESOURCEA(id / 16 + 1), RT_STRING);
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
    if (size <= 0) return 0;
    if (text.empty()) {
        buffer[0] = 0;
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    std::string ansi = ToAnsi(text);
    // Whole characters only: a double-byte one that does not fit is left out.
    size_t n = 0, room = static_cast<size_t>(size - 1);
    while (n < ansi.size()) {
        auto b = static_cast<unsigned char>(ansi[n]);
        size_t length = ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) ? 2 : 1;
        if (n + length > room || n + length > ansi.size()) break;
        n += length;
    }
    std::memcpy(buffer, ansi.data(), n);
    buffer[n] = 0;
    return static_cast<int>(n);
}

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    if (module != nullptr && module != MainInstance()) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    const Resource *r = FindResourceRecord(name, type);
    if (!r) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HRSRC>(const_cast<Resource *>(r));
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC resource) {
    if (!resource) return nullptr;
    return const_cast<BYTE *>(reinterpret_cast<const Resource *>(resource)->data);
}

LPVOID WINAPI LockResource(HGLOBAL data) { return data; }

DWORD WINAPI SizeofResource(HMODULE, HRSRC resource) {
    return resource ? reinterpret_cast<const Resource *>(resource)->size : 0;
}
