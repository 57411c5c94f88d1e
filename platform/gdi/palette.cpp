// Logical palettes and the system palette of an 8-bit screen: CreatePalette,
// SelectPalette, RealizePalette, GetPaletteEntries, and DeleteObject for
// palettes. On a deeper screen a realisation is only recorded.
#include "gdi.h"
#include "../testing/hooks.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <map>

namespace headless {
namespace {

// Far from the handles of the other GDI objects and of the DCs.
constexpr uintptr_t kPaletteBase = 0x7000000;
constexpr int kSystemSize = 256;
constexpr int kStaticHalf = 10;  // static colours at each end of the system palette

// The colours Windows keeps in the system palette for itself; they are also
// the entries of the stock DEFAULT_PALETTE, in this order.
constexpr PALETTEENTRY kStatic[2 * kStaticHalf] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},   {0, 0, 128, 0},
    {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0}, {192, 220, 192, 0}, {166, 202, 240, 0},
    {255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},
    {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
};

enum class Slot : uint8_t { Free, Static, Taken, Reserved };

struct Palette {
    std::vector<PALETTEENTRY> entries;
    std::vector<int> mapping;  // system palette index of each entry, -1 until realised
};

struct Palettes {
    std::map<uintptr_t, Palette> objects;
    uintptr_t next = kPaletteBase;
    std::array<uint32_t, kSystemSize> system{};  // 0x00RRGGBB; a free entry is black
    std::array<Slot, kSystemSize> slots{};
    std::map<HDC, HPALETTE> realized;
    std::map<HDC, bool> background;  // SelectPalette's forceBackground, per DC
};

Palettes &palettes() {
    static Palettes p;
    return p;
}

uint32_t Rgb(const PALETTEENTRY &e) { return uint32_t{e.peRed} << 16 | uint32_t{e.peGreen} << 8 | e.peBlue; }

int SystemIndexOfStatic(int i) { return i < kStaticHalf ? i : kSystemSize - 2 * kStaticHalf + i; }

void Init() {
    Palettes &p = palettes();
    p = Palettes{};
    for (int i = 0; i < 2 * kStaticHalf; i++) {
        int at = SystemIndexOfStatic(i);
        p.system[at] = Rgb(kStatic[i]);
        p.slots[at] = Slot::Static;
    }
}

const bool registered = (Init(), OnReset(Init), true);

// What is kept per DC goes with the DC: a window's DC is fetched and
// released for every frame.
void ForgetReleasedDcs() {
    Palettes &p = palettes();
    for (auto it = p.realized.begin(); it != p.realized.end();)
        it = FindDc(it->first) ? std::next(it) : p.realized.erase(it);
    for (auto it = p.background.begin(); it != p.background.end();)
        it = FindDc(it->first) ? std::next(it) : p.background.erase(it);
}

bool IsDefault(HGDIOBJ object) { return object && object == GetStockObject(DEFAULT_PALETTE); }

Palette *Find(HGDIOBJ object) {
    auto it = palettes().objects.find(reinterpret_cast<uintptr_t>(object));
    return it == palettes().objects.end() ? nullptr : &it->second;
}

int ExactMatch(uint32_t colour) {
    const Palettes &p = palettes();
    for (int i = 0; i < kSystemSize; i++)
        if ((p.slots[i] == Slot::Static || p.slots[i] == Slot::Taken) && p.system[i] == colour) return i;
    return -1;
}

int Nearest(uint32_t colour) {
    const Palettes &p = palettes();
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < kSystemSize; i++) {
        if (p.slots[i] != Slot::Static && p.slots[i] != Slot::Taken) continue;
        long dr = long(colour >> 16 & 0xFF) - long(p.system[i] >> 16 & 0xFF);
        long dg = long(colour >> 8 & 0xFF) - long(p.system[i] >> 8 & 0xFF);
        long db = long(colour & 0xFF) - long(p.system[i] & 0xFF);
        long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

int TakeFree(uint32_t colour, Slot as) {
    Palettes &p = palettes();
    for (int i = kStaticHalf; i < kSystemSize - kStaticHalf; i++)
        if (p.slots[i] == Slot::Free) {
            p.slots[i] = as;
            p.system[i] = colour;
            return i;
        }
    return -1;
}

// Maps a logical palette into the system palette and returns how many of
// its entries now map elsewhere than before: a second realisation of the
// same palette changes nothing and returns 0.
UINT MapIntoSystem(Palette &pal, bool foreground) {
    Palettes &p = palettes();
    // The foreground palette has every free entry to itself.
    if (foreground)
        for (int i = kStaticHalf; i < kSystemSize - kStaticHalf; i++)
            if (p.slots[i] != Slot::Static) {
                p.slots[i] = Slot::Free;
                p.system[i] = 0;
            }
    UINT changed = 0;
    for (size_t e = 0; e < pal.entries.size(); e++) {
        const PALETTEENTRY &entry = pal.entries[e];
        uint32_t colour = Rgb(entry);
        int at = -1;
        if (entry.peFlags & PC_EXPLICIT) {
            // The entry names a system palette index in its low word.
            at = (entry.peRed | entry.peGreen << 8) % kSystemSize;
        } else {
            // Colours meant for animation or kept apart get an entry of their own.
            bool own = entry.peFlags & (PC_RESERVED | PC_NOCOLLAPSE);
            if (!own) at = ExactMatch(colour);
            if (at < 0) at = TakeFree(colour, (entry.peFlags & PC_RESERVED) ? Slot::Reserved : Slot::Taken);
            if (at < 0) at = Nearest(colour);
        }
        if (pal.mapping[e] != at) changed++;
        pal.mapping[e] = at;
    }
    return changed;
}

}  // namespace

COLORREF SystemPaletteColor(int index) {
    if (index < 0 || index >= kSystemSize) return CLR_INVALID;
    uint32_t c = palettes().system[index];
    return RGB(c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF);
}

HPALETTE LastRealizedPalette(HDC hdc) {
    if (!FindDc(hdc)) return nullptr;
    auto it = palettes().realized.find(hdc);
    return it == palettes().realized.end() ? nullptr : it->second;
}

bool IsPaletteObject(HGDIOBJ object) { return Find(object) != nullptr; }

bool DeletePaletteObject(HGDIOBJ object) {
    Palettes &p = palettes();
    if (!p.objects.erase(reinterpret_cast<uintptr_t>(object))) return false;
    // A DC that still has it selected keeps only the handle, as on Windows:
    // SelectPalette hands it back, and nothing resolves it any more.
    for (auto it = p.realized.begin(); it != p.realized.end();)
        it = it->second == object ? p.realized.erase(it) : std::next(it);
    return true;
}

}  // namespace headless

using namespace headless;

// The version and the count are taken as they come; an empty palette is
// still a palette.
HPALETTE WINAPI CreatePalette(const LOGPALETTE *logical) {
    if (!logical) return nullptr;
    Palettes &p = palettes();
    Palette pal;
    pal.entries.assign(logical->palPalEntry, logical->palPalEntry + logical->palNumEntries);
    pal.mapping.assign(logical->palNumEntries, -1);
    uintptr_t h = p.next;
    p.next += 4;
    p.objects[h] = std::move(pal);
    return reinterpret_cast<HPALETTE>(h);
}

HPALETTE WINAPI SelectPalette(HDC hdc, HPALETTE palette, BOOL forceBackground) {
    DeviceContext *dc = FindDc(hdc);
    if (!dc || (!IsDefault(palette) && !Find(palette))) return nullptr;
    HGDIOBJ previous = dc->palette;
    dc->palette = palette;
    ForgetReleasedDcs();
    palettes().background[hdc] = forceBackground != FALSE;
    return static_cast<HPALETTE>(previous);
}

UINT WINAPI RealizePalette(HDC hdc) {
    DeviceContext *dc = FindDc(hdc);
    if (!dc) return 0;
    Palettes &p = palettes();
    HPALETTE selected = static_cast<HPALETTE>(dc->palette);
    // The default palette is the static colours, always in place.
    if (IsDefault(selected)) {
        p.realized[hdc] = selected;
        return 0;
    }
    Palette *pal = Find(selected);
    if (!pal) return 0;
    p.realized[hdc] = selected;
    // A true-colour screen has no system palette to map into.
    if (screen().depth > 8) return 0;
    return MapIntoSystem(*pal, !p.background[hdc]);
}

UINT WINAPI GetPaletteEntries(HPALETTE palette, UINT start, UINT count, LPPALETTEENTRY entries) {
    const PALETTEENTRY *from;
    UINT size;
    if (IsDefault(palette)) {
        from = kStatic;
        size = 2 * kStaticHalf;
    } else if (const Palette *pal = Find(palette)) {
        from = pal->entries.data();
        size = static_cast<UINT>(pal->entries.size());
    } else {
        return 0;
    }
    // A count of 0 asks for the palette's size.
    if (count == 0) return size;
    if (start >= size) return 0;
    count = std::min(count, size - start);
    if (entries) std::copy(from + start, from + start + count, entries);
    return count;
}
