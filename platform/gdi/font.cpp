// Fonts for text on the headless screen, through FreeType.
//
// The system font is made of X11 bitmap fonts from Debian's font packages:
// half-width characters from 16-pixel ISO 8859-1 and JIS X 0201 faces,
// full-width ones from a 16-pixel JIS X 0208 face, as the 16-pixel system
// font of a Japanese Windows has them. A font object naming one of the
// Japanese Gothic faces draws with IPAGothic at the object's size, as the
// Wine the Windows build is tested on is set up to. Windows' dialog faces
// (MS Shell Dlg 2, MS Shell Dlg) and Tahoma draw with the Tahoma Wine ships
// (fonts-wine), its bold file for bold weights. Any other face name gets
// the system font. Fonts are loaded once per process and kept across resets,
// with the glyphs they have drawn.
#include "gdi.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BDF_H
#include FT_TRUETYPE_TABLES_H

#include <iconv.h>
#include <strings.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <memory>
#include <unordered_map>

namespace headless {
namespace {

constexpr const char *kBitmapFolder = "/usr/share/fonts/X11/misc/";
constexpr const char *kGothicFile = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
constexpr const char *kTahomaFile = "/usr/share/wine/fonts/tahoma.ttf";
constexpr const char *kTahomaBoldFile = "/usr/share/wine/fonts/tahomabd.ttf";

// The screen's resolution: 96 dots per inch, as Windows' "small fonts".
constexpr int kDpi = 96;

FT_Library Library() {
    static FT_Library library = [] {
        FT_Library l = nullptr;
        return FT_Init_FreeType(&l) == 0 ? l : nullptr;
    }();
    return library;
}

FT_Face OpenFace(const std::string &path) {
    FT_Face face = nullptr;
    if (!Library() || FT_New_Face(Library(), path.c_str(), 0, &face) != 0) return nullptr;
    return face;
}

// ---- code page 932 into the faces' encodings ----------------------------------

struct Converter {
    iconv_t cd = reinterpret_cast<iconv_t>(-1);
    Converter(const char *to, const char *from) : cd(iconv_open(to, from)) {}
    ~Converter() {
        if (Usable()) iconv_close(cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;
    bool Usable() const { return cd != reinterpret_cast<iconv_t>(-1); }

    // The whole input as one output, or nothing.
    std::string Convert(const char *in, size_t length) {
        if (!Usable()) return {};
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char out[16];
        char *src = const_cast<char *>(in), *dst = out;
        size_t srcLeft = length, dstLeft = sizeof out;
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1) || srcLeft) return {};
        return std::string(out, sizeof out - dstLeft);
    }
};

constexpr char32_t kNoChar = 0xFFFFFFFF;

// Whether the system font draws a character in a full-width cell: all but
// what its ISO 8859-1 and JIS X 0201 faces hold.
bool FullWidth(char32_t c) { return !(c < 0x100 || c == 0x203E || (c >= 0xFF61 && c <= 0xFF9F)); }

// The characters a Western Windows without a Japanese font lacks: kana,
// ideographs, the CJK punctuation and the full-width forms.
bool IsJapanese(char32_t c) {
    return (c >= 0x3000 && c <= 0x30FF) || (c >= 0x31F0 && c <= 0x31FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF) ||
           (c >= 0x20000 && c <= 0x2FFFF);
}

bool hideJapanese = false;
const bool hideRegistered = (OnReset([] { hideJapanese = false; }), true);

// Microsoft's variant of EUC-JP maps the characters code page 932 gives
// different code points (～ ∥ － ￠ …) to their JIS X 0208 cells.
std::string ToEucJp(char32_t c) {
    static Converter ms("EUC-JP-MS", "UTF-32LE");
    static Converter plain("EUC-JP", "UTF-32LE");
    char utf32[4];
    for (size_t i = 0; i < 4; i++) utf32[i] = static_cast<char>(c >> (8 * i) & 0xFF);
    return (ms.Usable() ? ms : plain).Convert(utf32, 4);
}

constexpr uint32_t kNoCode = 0xFFFFFFFF;

// A Unicode character's code in a bitmap face's own encoding (FreeType hands
// out the X11 fonts' codes as they stand), or kNoCode.
uint32_t CodeInFace(const std::string &charset, char32_t c) {
    if (charset == "ISO10646-1") return c;
    if (charset == "ISO8859-1") return c < 0x100 ? c : kNoCode;
    if (charset == "ISO646.1991-IRV") return c < 0x80 ? c : kNoCode;
    if (charset == "JISX0201.1976-0") {
        // The Roman half has the yen sign and the overline where ASCII has \ and ~.
        if (c == 0xA5) return 0x5C;
        if (c == 0x203E) return 0x7E;
        if (c < 0x80 && c != 0x5C && c != 0x7E) return c;
        if (c >= 0xFF61 && c <= 0xFF9F) return c - 0xFF61 + 0xA1;
        return kNoCode;
    }
    if (charset.rfind("JISX0208", 0) == 0 || charset.rfind("JISC6226", 0) == 0) {
        std::string euc = ToEucJp(c);
        if (euc.size() != 2) return kNoCode;
        auto b1 = static_cast<unsigned char>(euc[0]), b2 = static_cast<unsigned char>(euc[1]);
        if (b1 < 0xA1 || b2 < 0xA1) return kNoCode;
        return static_cast<uint32_t>((b1 & 0x7F) << 8 | (b2 & 0x7F));
    }
    return kNoCode;
}

std::string Upper(std::string s) {
    for (char &c : s) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return s;
}

// A glyph kept with its own copy of the bitmap FreeType rendered.
struct CachedGlyph {
    Glyph glyph;
    std::vector<uint8_t> bits;
};

}  // namespace

// A font as the layer draws it: its faces at one size, what GetTextMetricsW
// says of it, and the glyphs drawn so far, by character.
struct TextFont {
    struct Face {
        FT_Face face = nullptr;
        std::string charset;  // a bitmap face's CHARSET_REGISTRY-CHARSET_ENCODING
    };
    std::vector<Face> faces;
    // Bitmap fonts: the faces tried in order for a half-width and for a
    // full-width character. An outline font has one face for both.
    std::vector<size_t> halfWidth, fullWidth;
    bool outline = false;
    // Drawn and measured from the outlines, never the face's embedded bitmaps.
    bool outlinesOnly = false;
    int blankHalf = 0, blankFull = 0;  // the cells of characters no face has
    // A fixed-pitch outline font's full-width glyphs (those as wide as two
    // average characters) take exactly two half-width cells, so columns of
    // mixed text line up at every size.
    int fullCell = 0, fullAdvance = 0;
    TEXTMETRICW metrics{};
    mutable std::unordered_map<uint32_t, CachedGlyph> glyphs;
};

namespace {

// Copies the glyph FreeType just rendered as 1-bit rows, leftmost pixel in
// the top bit; a grey bitmap (a face that ignores the request for mono) is
// cut at half intensity.
void TakeBitmap(const FT_GlyphSlot slot, CachedGlyph &out) {
    const FT_Bitmap &b = slot->bitmap;
    Glyph &g = out.glyph;
    g.left = slot->bitmap_left;
    g.ascent = slot->bitmap_top;
    g.width = static_cast<int>(b.width);
    g.height = static_cast<int>(b.rows);
    g.stride = (g.width + 7) / 8;
    if (g.width <= 0 || g.height <= 0 || !b.buffer) {
        g.width = g.height = 0;
        return;
    }
    out.bits.assign(static_cast<size_t>(g.stride) * g.height, 0);
    for (int y = 0; y < g.height; y++) {
        const unsigned char *row = b.buffer + static_cast<ptrdiff_t>(y) * b.pitch;
        uint8_t *dst = out.bits.data() + static_cast<size_t>(y) * g.stride;
        if (b.pixel_mode == FT_PIXEL_MODE_MONO) {
            std::memcpy(dst, row, static_cast<size_t>(g.stride));
        } else if (b.pixel_mode == FT_PIXEL_MODE_GRAY) {
            for (int x = 0; x < g.width; x++)
                if (row[x] >= 128) dst[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
    }
}

// Loads and renders a glyph of a face; false when FreeType cannot. Mono
// hinting by default; a font drawn from its outlines alone takes FreeType's
// normal hinting, whose advances are the ones Wine measures such a face by.
bool Render(FT_Face face, FT_UInt index, CachedGlyph &out, FT_Int32 load = FT_LOAD_TARGET_MONO) {
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | load) != 0) return false;
    out.glyph.advance = static_cast<int>((face->glyph->advance.x + 63) >> 6);
    TakeBitmap(face->glyph, out);
    return true;
}

// A character's glyph from the first face of its class that has it; else that
// first face's default character; else a blank cell as wide as the class.
void BitmapGlyph(const TextFont &font, bool full, char32_t c, CachedGlyph &out) {
    const std::vector<size_t> &order = full ? font.fullWidth : font.halfWidth;
    if (c != kNoChar)
        for (size_t i : order) {
            const TextFont::Face &f = font.faces[i];
            uint32_t code = CodeInFace(f.charset, c);
            FT_UInt index = code == kNoCode ? 0 : FT_Get_Char_Index(f.face, code);
            if (index != 0 && Render(f.face, index, out)) return;
        }
    // FreeType puts a bitmap font's default character at glyph 0.
    if (!order.empty() && Render(font.faces[order.front()].face, 0, out)) return;
    out = CachedGlyph{};
    out.glyph.advance = full ? font.blankFull : font.blankHalf;
}

void OutlineGlyph(const TextFont &font, char32_t c, CachedGlyph &out) {
    FT_Face face = font.faces.front().face;
    FT_UInt index = c == kNoChar ? 0 : FT_Get_Char_Index(face, c);
    if (!Render(face, index, out, font.outlinesOnly ? FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO)) {
        out = CachedGlyph{};
        out.glyph.advance = font.metrics.tmAveCharWidth;
        return;
    }
    if (font.fullCell && out.glyph.advance == font.fullCell) out.glyph.advance = font.fullAdvance;
}

// ---- the system font -----------------------------------------------------------

// Without any font file the text still has a fixed 8 x 16 cell per byte,
// blank, so a machine lacking the packages draws and measures the same way.
constexpr int kBlankHalfWidth = 8;
constexpr int kBlankHeight = 16;

// What every font here reports alike: a regular weight at the screen's
// resolution, and the single-byte range the Japanese faces report under Wine.
void FillCommonMetrics(TEXTMETRICW &tm) {
    tm.tmWeight = FW_NORMAL;
    tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = kDpi;
    tm.tmFirstChar = 0x1E;
    tm.tmLastChar = 0xFF;
    tm.tmDefaultChar = 0x1F;
    tm.tmBreakChar = 0x20;
    tm.tmCharSet = SHIFTJIS_CHARSET;
}

TextFont LoadSystemFont() {
    TextFont font;
    // The 8 x 16 face (ISO 8859-1) and its JIS X 0201 katakana companion from
    // xfonts-base; the 16-dot JIS X 0208 kanji face of the 1990 edition, which
    // code page 932 follows (凜 熙), from xfonts-intl-japanese, else the 1983
    // one of xfonts-base. All have an ascent of 14 and a descent of 2.
    auto load = [&](std::vector<size_t> &order, std::initializer_list<const char *> files) {
        for (const char *file : files) {
            FT_Face face = OpenFace(std::string(kBitmapFolder) + file);
            const char *encoding = nullptr, *registry = nullptr;
            if (face && face->num_fixed_sizes > 0 && FT_Select_Size(face, 0) == 0 &&
                FT_Get_BDF_Charset_ID(face, &encoding, &registry) == 0 && encoding && registry) {
                // The X11 fonts' own encodings come as FreeType's one charmap.
                if (!face->charmap && face->num_charmaps > 0) FT_Set_Charmap(face, face->charmaps[0]);
                order.push_back(font.faces.size());
                font.faces.push_back({face, Upper(std::string(registry) + "-" + encoding)});
                return;
            }
            if (face) FT_Done_Face(face);
        }
    };
    load(font.halfWidth, {"8x16.pcf.gz"});
    load(font.halfWidth, {"8x16rk.pcf.gz"});
    load(font.fullWidth, {"j90-16.pcf.gz", "jiskan16.pcf.gz"});

    int ascent = 0, descent = 0;
    for (const TextFont::Face &f : font.faces) {
        ascent = std::max(ascent, static_cast<int>(f.face->size->metrics.ascender >> 6));
        descent = std::max(descent, static_cast<int>(-f.face->size->metrics.descender >> 6));
    }
    if (ascent + descent <= 0) {
        ascent = kBlankHeight;
        descent = 0;
    }
    auto maxAdvance = [&](const std::vector<size_t> &order) {
        return order.empty() ? 0 : static_cast<int>(font.faces[order.front()].face->size->metrics.max_advance >> 6);
    };
    font.blankHalf = font.halfWidth.empty() ? kBlankHalfWidth : maxAdvance(font.halfWidth);
    font.blankFull = font.fullWidth.empty() ? 2 * font.blankHalf : maxAdvance(font.fullWidth);

    TEXTMETRICW &tm = font.metrics;
    FillCommonMetrics(tm);
    tm.tmAscent = ascent;
    tm.tmDescent = descent;
    tm.tmHeight = ascent + descent;
    tm.tmAveCharWidth = font.blankHalf;
    tm.tmMaxCharWidth = font.blankFull;
    tm.tmPitchAndFamily = FF_MODERN;  // fixed pitch, a raster font
    return font;
}

const TextFont &SystemFont() {
    static const TextFont font = LoadSystemFont();
    return font;
}

// ---- outline fonts ---------------------------------------------------------------

// Scales font units to whole pixels, halves up, as the text metrics round.
LONG Scaled(FT_Long units, FT_Fixed scale) { return static_cast<LONG>((FT_MulFix(units, scale) + 32) >> 6); }

// The em height in pixels for a LOGFONT height: a negative height is the
// character (em) height, a positive one the cell height, which the face's
// Windows ascent and descent span; zero asks for a 16-pixel cell.
int EmPixels(FT_Face face, LONG height) {
    constexpr LONG kLargest = 16384;
    if (height < 0) return static_cast<int>(std::min(-static_cast<int64_t>(height), int64_t{kLargest}));
    if (height == 0) height = 16;
    height = std::min(height, kLargest);
    auto *os2 = static_cast<const TT_OS2 *>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    auto *hhea = static_cast<const TT_HoriHeader *>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    int cell = os2 && os2->usWinAscent + os2->usWinDescent ? os2->usWinAscent + os2->usWinDescent
               : hhea                                       ? hhea->Ascender - hhea->Descender
                                                            : face->units_per_EM;
    return std::max(1, MulDiv(face->units_per_EM, static_cast<int>(height), std::max(cell, 1)));
}

std::unique_ptr<TextFont> LoadOutlineFont(const char *path, LONG height, BYTE charset = SHIFTJIS_CHARSET) {
    FT_Face face = OpenFace(path);
    auto *os2 = face ? static_cast<const TT_OS2 *>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)) : nullptr;
    auto *hhea = face ? static_cast<const TT_HoriHeader *>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA)) : nullptr;
    if (!face || !FT_IS_SCALABLE(face) || !os2 || !hhea || face->units_per_EM == 0 ||
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(EmPixels(face, height))) != 0) {
        if (face) FT_Done_Face(face);
        return nullptr;
    }
    auto font = std::make_unique<TextFont>();
    font->outline = true;
    font->faces.push_back({face, {}});
    font->halfWidth = font->fullWidth = {0};

    FT_Fixed x = face->size->metrics.x_scale, y = face->size->metrics.y_scale;
    FT_Long ascent = os2->usWinAscent, descent = os2->usWinDescent;
    if (ascent + descent == 0) ascent = hhea->Ascender, descent = -hhea->Descender;
    TEXTMETRICW &tm = font->metrics;
    FillCommonMetrics(tm);
    tm.tmCharSet = charset;
    tm.tmAscent = Scaled(ascent, y);
    tm.tmDescent = Scaled(descent, y);
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = Scaled(ascent + descent - face->units_per_EM, y);
    // The face's line gap, less what its Windows ascent and descent already
    // span beyond its typographic ones.
    tm.tmExternalLeading =
        std::max<LONG>(0, Scaled(hhea->Line_Gap - ((ascent + descent) - (hhea->Ascender - hhea->Descender)), y));
    tm.tmAveCharWidth = std::max<LONG>(1, Scaled(os2->xAvgCharWidth, x));
    tm.tmMaxCharWidth = Scaled(face->bbox.xMax - face->bbox.xMin, x);
    if (os2->usWeightClass) tm.tmWeight = os2->usWeightClass;
    bool fixed = FT_IS_FIXED_WIDTH(face) || os2->panose[3] == 9;  // panose proportion: monospaced
    // TMPF_FIXED_PITCH set means a variable pitch, as Windows has it.
    tm.tmPitchAndFamily = (fixed ? FF_MODERN : FF_SWISS) | TMPF_TRUETYPE | TMPF_VECTOR | (fixed ? 0 : TMPF_FIXED_PITCH);
    if (fixed) {
        FT_Fixed em = MulDiv(static_cast<int>(face->size->metrics.x_ppem), 1 << 16, face->units_per_EM);
        font->fullCell = static_cast<int>(FT_MulFix(2 * os2->xAvgCharWidth, em));
        font->fullAdvance = 2 * static_cast<int>(FT_MulFix(os2->xAvgCharWidth, em));
    }
    return font;
}

// Face names that draw with IPAGothic: the Japanese Gothic faces, by their
// Japanese names (ＭＳ ゴシック, ＭＳ Ｐゴシック) and their English ones.
bool NamesGothic(const std::string &name) {
    for (const char *n : {"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF", "\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF",
                          "MS Gothic", "MS UI Gothic"})
        if (SameName(name, n)) return true;
    return false;
}

std::string FaceName(const LOGFONTW &lf) {
    size_t n = 0;
    while (n < LF_FACESIZE && lf.lfFaceName[n]) n++;
    return Utf8(lf.lfFaceName, static_cast<int>(n));
}

const TextFont *GothicFont(LONG height) {
    static std::map<int, std::unique_ptr<TextFont>> sizes;
    static FT_Face probe = OpenFace(kGothicFile);
    if (!probe) return nullptr;
    int em = EmPixels(probe, height);
    auto it = sizes.find(em);
    if (it == sizes.end()) it = sizes.emplace(em, LoadOutlineFont(kGothicFile, -em)).first;
    return it->second.get();
}

// Face names that draw with Tahoma: the dialog faces Windows maps to it, and itself.
bool NamesTahoma(const std::string &name) {
    for (const char *n : {"MS Shell Dlg 2", "MS Shell Dlg", "Tahoma"})
        if (SameName(name, n)) return true;
    return false;
}

// Bold from FW_SEMIBOLD up, as Windows picks a face's bold member.
bool Bold(const LOGFONTW &lf) { return lf.lfWeight >= FW_SEMIBOLD; }

const TextFont *TahomaFont(LONG height, bool bold) {
    static std::map<std::pair<int, bool>, std::unique_ptr<TextFont>> sizes;
    static FT_Face probe = OpenFace(kTahomaFile);
    if (!probe) return nullptr;
    int em = EmPixels(probe, height);
    auto it = sizes.find({em, bold});
    if (it == sizes.end()) {
        // Wine's Tahoma carries bitmaps for the small sizes; Wine measures
        // it by its outlines, as the layer does.
        std::unique_ptr<TextFont> font = bold ? LoadOutlineFont(kTahomaBoldFile, -em, ANSI_CHARSET) : nullptr;
        if (!font) font = LoadOutlineFont(kTahomaFile, -em, ANSI_CHARSET);
        if (font) font->outlinesOnly = true;
        it = sizes.emplace(std::make_pair(em, bold), std::move(font)).first;
    }
    return it->second.get();
}

// What the layer draws with the regular face alone; each is said once.
// Tahoma has its bold face.
void ReportStyles(const LOGFONTW &lf, bool boldFace) {
    if (Bold(lf) && !boldFace) ReportUnimplemented("a bold font");
    if (lf.lfItalic) ReportUnimplemented("an italic font");
    if (lf.lfUnderline || lf.lfStrikeOut) ReportUnimplemented("an underlined or struck-out font");
    if (lf.lfWidth) ReportUnimplemented("a font of a given width");
    if (lf.lfEscapement || lf.lfOrientation) ReportUnimplemented("a font at an angle");
}

// A character's glyph index in a font, 0 when the font has none.
FT_UInt GlyphIndex(const TextFont &font, char32_t c);

}  // namespace

bool GlyphInk(const Glyph &g, int x, int y) {
    if (!g.rows || x < 0 || y < 0 || x >= g.width || y >= g.height) return false;
    return (g.rows[static_cast<size_t>(y) * g.stride + x / 8] >> (7 - x % 8)) & 1;
}

const TextFont &FontFor(HGDIOBJ object) {
    const LOGFONTW *lf = FontObjectLogFont(object);
    if (!lf) return SystemFont();
    std::string face = FaceName(*lf);
    bool tahoma = NamesTahoma(face);
    const TextFont *font = NamesGothic(face) ? GothicFont(lf->lfHeight)
                           : tahoma         ? TahomaFont(lf->lfHeight, Bold(*lf))
                                            : nullptr;
    if (!font) return SystemFont();
    ReportStyles(*lf, tahoma);
    return *font;
}

const TEXTMETRICW &FontMetrics(const TextFont &font) { return font.metrics; }

void HideJapaneseGlyphs(bool hide) { hideJapanese = hide; }

bool LacksJapanese(HGDIOBJ object) {
    if (!hideJapanese) return false;
    const LOGFONTW *lf = FontObjectLogFont(object);
    return !lf || IsStockObject(object) || lf->lfCharSet != SHIFTJIS_CHARSET;
}

std::vector<Glyph> TextGlyphs(const TextFont &font, const WCHAR *text, int length, bool lacksJapanese) {
    std::vector<Glyph> glyphs;
    if (!text || length <= 0) return glyphs;
    std::u32string chars = Chars(text, static_cast<size_t>(length));
    glyphs.reserve(chars.size());
    for (char32_t c : chars) {
        bool missing = lacksJapanese && IsJapanese(c);
        // Above every character: the missing glyph that stands for a Japanese one.
        uint32_t key = missing ? 0x80000000u | c : c;
        auto it = font.glyphs.find(key);
        if (it == font.glyphs.end()) {
            it = font.glyphs.emplace(key, CachedGlyph{}).first;
            CachedGlyph &cached = it->second;
            char32_t drawn = missing ? kNoChar : c;
            if (font.outline)
                OutlineGlyph(font, drawn, cached);
            else
                BitmapGlyph(font, FullWidth(c), drawn, cached);
            cached.glyph.rows = cached.bits.empty() ? nullptr : cached.bits.data();
        }
        glyphs.push_back(it->second.glyph);
    }
    return glyphs;
}

namespace {

FT_UInt GlyphIndex(const TextFont &font, char32_t c) {
    if (font.outline) return FT_Get_Char_Index(font.faces.front().face, c);
    for (size_t i : FullWidth(c) ? font.fullWidth : font.halfWidth) {
        const TextFont::Face &f = font.faces[i];
        uint32_t code = CodeInFace(f.charset, c);
        FT_UInt index = code == kNoCode ? 0 : FT_Get_Char_Index(f.face, code);
        // Each face's indices apart, as one font's would be.
        if (index) return static_cast<FT_UInt>(index + (i << 12));
    }
    return 0;
}

}  // namespace

}  // namespace headless

using namespace headless;

// One index per UTF-16 unit, as Windows gives them (a surrogate has none).
DWORD WINAPI GetGlyphIndicesW(HDC hdc, LPCWSTR text, int length, LPWORD indices, DWORD flags) {
    DeviceContext *dc = FindDc(hdc);
    if (!dc || !text || length < 0 || !indices) return GDI_ERROR;
    const TextFont &font = FontFor(dc->font);
    bool lacks = LacksJapanese(dc->font);
    WORD none = (flags & GGI_MARK_NONEXISTING_GLYPHS) ? 0xFFFF : 0;
    for (int i = 0; i < length; i++) {
        char32_t c = static_cast<char32_t>(text[i]) & 0xFFFF;
        FT_UInt index = (c >= 0xD800 && c <= 0xDFFF) || (lacks && IsJapanese(c)) ? 0 : GlyphIndex(font, c);
        indices[i] = index ? static_cast<WORD>(std::min<FT_UInt>(index, 0xFFFE)) : none;
    }
    return static_cast<DWORD>(length);
}

// The face the DC's font draws with: a Gothic face or a Tahoma one by the
// name it was asked for, else the system font.
int WINAPI GetTextFaceW(HDC hdc, int size, LPWSTR face) {
    DeviceContext *dc = FindDc(hdc);
    if (!dc || (face && size <= 0)) return 0;
    const LOGFONTW *lf = FontObjectLogFont(dc->font);
    std::string name = "System";
    if (lf && NamesGothic(FaceName(*lf))) name = FaceName(*lf);
    else if (lf && NamesTahoma(FaceName(*lf)) && &FontFor(dc->font) != &SystemFont()) name = FaceName(*lf);
    if (!face) return static_cast<int>(Utf16(name).size() + 1);
    return static_cast<int>(CopyOut(name, face, static_cast<size_t>(size), true) + 1);
}
