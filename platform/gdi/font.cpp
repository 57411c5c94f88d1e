// Bitmap fonts for text on the headless screen. The glyphs are X11 PCF fonts
// from Debian's font packages, read once per process and kept across resets:
// half-width characters from 16-pixel ISO 8859-1 and JIS X 0201 faces,
// full-width ones from a 16-pixel JIS X 0208 face, as the 16-pixel system
// font of a Japanese Windows has them.
#include "../internal.h"

#include <iconv.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace layer {
namespace {

constexpr const char *kFontFolder = "/usr/share/fonts/X11/misc/";

// ---- the PCF format ----------------------------------------------------------

constexpr uint32_t kPcfProperties = 1u << 0;
constexpr uint32_t kPcfAccelerators = 1u << 1;
constexpr uint32_t kPcfMetrics = 1u << 2;
constexpr uint32_t kPcfBitmaps = 1u << 3;
constexpr uint32_t kPcfBdfEncodings = 1u << 5;
constexpr uint32_t kPcfBdfAccelerators = 1u << 8;

constexpr uint32_t kFormatMask = 0xFFFFFF00;
constexpr uint32_t kDefaultFormat = 0x000;
constexpr uint32_t kInkBounds = 0x200;
constexpr uint32_t kCompressedMetrics = 0x100;  // in a metrics table
constexpr uint32_t kAccelWithInkBounds = 0x100;  // in an accelerator table
constexpr uint32_t kGlyphPadMask = 3;
constexpr uint32_t kByteMsbFirst = 1u << 2;
constexpr uint32_t kBitMsbFirst = 1u << 3;
constexpr uint32_t kScanUnitShift = 4;

constexpr uint16_t kNoGlyph = 0xFFFF;
constexpr uint32_t kNoCode = 0xFFFFFFFF;

struct Metrics {
    int lsb = 0, rsb = 0, advance = 0, ascent = 0, descent = 0;
};

// One PCF font as the layer draws it: glyph metrics, bitmaps with the
// leftmost pixel in the top bit, and the encoding that finds a glyph by code.
struct Face {
    bool loaded = false;
    std::string charset;  // CHARSET_REGISTRY-CHARSET_ENCODING, upper case
    int ascent = 0, descent = 0, maxAdvance = 0;
    std::vector<Metrics> metrics;
    std::vector<uint32_t> offsets;
    std::vector<uint8_t> bits;
    int rowPad = 1;
    int minByte2 = 0, maxByte2 = -1, minByte1 = 0, maxByte1 = -1;
    uint32_t defaultChar = kNoCode;
    std::vector<uint16_t> glyphIndex;
};

// Reads a table's integers in its own byte order; any read past the end of
// the file marks the whole read as failed rather than reading garbage.
struct Reader {
    const std::vector<uint8_t> &data;
    size_t pos = 0;
    bool msb = false;
    bool ok = true;

    bool Have(size_t n) {
        if (!ok || pos > data.size() || data.size() - pos < n) ok = false;
        return ok;
    }
    uint32_t U8() { return Have(1) ? data[pos++] : 0; }
    uint32_t U16() {
        if (!Have(2)) return 0;
        uint32_t a = data[pos], b = data[pos + 1];
        pos += 2;
        return msb ? (a << 8 | b) : (b << 8 | a);
    }
    uint32_t U32() {
        if (!Have(4)) return 0;
        uint32_t v = 0;
        for (int i = 0; i < 4; i++) {
            uint32_t byte = data[pos + (msb ? i : 3 - i)];
            v = v << 8 | byte;
        }
        pos += 4;
        return v;
    }
    int I16() { return static_cast<int16_t>(U16()); }
    int32_t I32() { return static_cast<int32_t>(U32()); }
};

struct TocEntry {
    uint32_t type, format, size, offset;
};

bool ReadGzipFile(const std::string &path, std::vector<uint8_t> &out) {
    gzFile f = gzopen(path.c_str(), "rb");
    if (!f) return false;
    out.clear();
    uint8_t chunk[1 << 16];
    int n;
    // No font in the packages comes near this; a bigger file is not one.
    constexpr size_t kLimit = 64u << 20;
    while ((n = gzread(f, chunk, sizeof chunk)) > 0 && out.size() < kLimit) out.insert(out.end(), chunk, chunk + n);
    bool ok = n == 0;
    gzclose(f);
    return ok;
}

// Positions the reader at a table and takes its byte order from its format word
// (the format word itself is always least significant byte first).
bool OpenTable(Reader &r, const std::vector<TocEntry> &toc, uint32_t type, uint32_t &format) {
    for (const TocEntry &t : toc) {
        if (t.type != type) continue;
        if (t.offset > r.data.size() || r.data.size() - t.offset < t.size) return false;
        r.pos = t.offset;
        r.msb = false;
        r.ok = true;
        format = r.U32();
        r.msb = (format & kByteMsbFirst) != 0;
        return r.ok;
    }
    return false;
}

Metrics ReadMetrics(Reader &r, bool compressed) {
    Metrics m;
    if (compressed) {
        m.lsb = static_cast<int>(r.U8()) - 0x80;
        m.rsb = static_cast<int>(r.U8()) - 0x80;
        m.advance = static_cast<int>(r.U8()) - 0x80;
        m.ascent = static_cast<int>(r.U8()) - 0x80;
        m.descent = static_cast<int>(r.U8()) - 0x80;
    } else {
        m.lsb = r.I16();
        m.rsb = r.I16();
        m.advance = r.I16();
        m.ascent = r.I16();
        m.descent = r.I16();
        r.U16();  // attributes
    }
    return m;
}

std::string Upper(std::string s) {
    for (char &c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

void ReadProperties(Reader &r, const std::vector<TocEntry> &toc, Face &face) {
    uint32_t format;
    if (!OpenTable(r, toc, kPcfProperties, format) || (format & kFormatMask) != kDefaultFormat) return;
    int32_t count = r.I32();
    if (count < 0 || !r.Have(static_cast<size_t>(count) * 9)) return;
    struct Prop {
        uint32_t name;
        bool isString;
        uint32_t value;
    };
    std::vector<Prop> props;
    for (int32_t i = 0; i < count; i++) {
        Prop p;
        p.name = r.U32();
        p.isString = r.U8() != 0;
        p.value = r.U32();
        props.push_back(p);
    }
    if (count & 3) r.pos += 4 - (count & 3);
    uint32_t stringSize = r.U32();
    if (!r.Have(stringSize)) return;
    const char *strings = reinterpret_cast<const char *>(r.data.data() + r.pos);
    auto text = [&](uint32_t offset) {
        if (offset >= stringSize) return std::string();
        return std::string(strings + offset, ::strnlen(strings + offset, stringSize - offset));
    };
    std::string registry, encoding;
    for (const Prop &p : props) {
        std::string name = text(p.name);
        if (!p.isString) continue;
        if (name == "CHARSET_REGISTRY") registry = text(p.value);
        if (name == "CHARSET_ENCODING") encoding = text(p.value);
    }
    face.charset = Upper(registry + "-" + encoding);
}

// Accelerators give the font's own ascent and descent, which place the
// baseline; the BDF accelerators are the more exact of the two when present.
bool ReadAccelerators(Reader &r, const std::vector<TocEntry> &toc, Face &face) {
    uint32_t format;
    if (!OpenTable(r, toc, kPcfBdfAccelerators, format) && !OpenTable(r, toc, kPcfAccelerators, format)) return false;
    uint32_t kind = format & kFormatMask;
    if (kind != kDefaultFormat && kind != kAccelWithInkBounds) return false;
    r.pos += 8;  // noOverlap, constantMetrics, terminalFont, constantWidth, inkInside, inkMetrics, drawDirection, pad
    face.ascent = r.I32();
    face.descent = r.I32();
    r.I32();  // maxOverlap
    ReadMetrics(r, false);  // minbounds
    face.maxAdvance = ReadMetrics(r, false).advance;
    return r.ok;
}

bool ReadGlyphMetrics(Reader &r, const std::vector<TocEntry> &toc, Face &face) {
    uint32_t format;
    if (!OpenTable(r, toc, kPcfMetrics, format)) return false;
    uint32_t kind = format & kFormatMask;
    if (kind != kDefaultFormat && kind != kCompressedMetrics && kind != kInkBounds) return false;
    bool compressed = kind == kCompressedMetrics;
    int64_t count = compressed ? r.I16() : r.I32();
    if (count < 0 || !r.Have(static_cast<size_t>(count) * (compressed ? 5 : 12))) return false;
    face.metrics.resize(static_cast<size_t>(count));
    for (Metrics &m : face.metrics) m = ReadMetrics(r, compressed);
    return r.ok;
}

// Turns the bitmap data into one layout, leftmost pixel in the top bit:
// a font stores pixels in the bit order and the byte order of the scan unit
// it was written for.
void NormaliseBits(std::vector<uint8_t> &bits, uint32_t format) {
    bool bitMsb = (format & kBitMsbFirst) != 0, byteMsb = (format & kByteMsbFirst) != 0;
    if (!bitMsb)
        for (uint8_t &b : bits) {
            uint8_t v = 0;
            for (int i = 0; i < 8; i++) v |= ((b >> i) & 1) << (7 - i);
            b = v;
        }
    size_t unit = size_t{1} << ((format >> kScanUnitShift) & 3);
    if (bitMsb != byteMsb && unit > 1)
        for (size_t at = 0; at + unit <= bits.size(); at += unit) std::reverse(bits.begin() + at, bits.begin() + at + unit);
}

bool ReadBitmaps(Reader &r, const std::vector<TocEntry> &toc, Face &face) {
    uint32_t format;
    if (!OpenTable(r, toc, kPcfBitmaps, format) || (format & kFormatMask) != kDefaultFormat) return false;
    int32_t count = r.I32();
    if (count < 0 || static_cast<size_t>(count) != face.metrics.size()) return false;
    if (!r.Have(static_cast<size_t>(count) * 4)) return false;
    face.offsets.resize(static_cast<size_t>(count));
    for (uint32_t &o : face.offsets) o = r.U32();
    uint32_t sizes[4];
    for (uint32_t &s : sizes) s = r.U32();
    uint32_t size = sizes[format & kGlyphPadMask];
    if (!r.Have(size)) return false;
    face.bits.assign(r.data.begin() + static_cast<ptrdiff_t>(r.pos),
                     r.data.begin() + static_cast<ptrdiff_t>(r.pos + size));
    face.rowPad = 1 << (format & kGlyphPadMask);
    NormaliseBits(face.bits, format);
    return true;
}

bool ReadEncodings(Reader &r, const std::vector<TocEntry> &toc, Face &face) {
    uint32_t format;
    if (!OpenTable(r, toc, kPcfBdfEncodings, format) || (format & kFormatMask) != kDefaultFormat) return false;
    face.minByte2 = r.I16();
    face.maxByte2 = r.I16();
    face.minByte1 = r.I16();
    face.maxByte1 = r.I16();
    face.defaultChar = r.U16();
    if (face.minByte2 < 0 || face.maxByte2 > 0xFF || face.minByte1 < 0 || face.maxByte1 > 0xFF ||
        face.maxByte2 < face.minByte2 || face.maxByte1 < face.minByte1)
        return false;
    size_t count = static_cast<size_t>(face.maxByte2 - face.minByte2 + 1) * (face.maxByte1 - face.minByte1 + 1);
    if (!r.Have(count * 2)) return false;
    face.glyphIndex.resize(count);
    for (uint16_t &g : face.glyphIndex) g = static_cast<uint16_t>(r.U16());
    return r.ok;
}

Face LoadFace(const std::string &path) {
    Face face;
    std::vector<uint8_t> data;
    if (!ReadGzipFile(path, data)) return face;
    Reader r{data};
    if (r.U32() != 0x70636601) return face;  // "\1fcp"
    int32_t tables = r.I32();
    if (tables <= 0 || tables > 64) return face;
    std::vector<TocEntry> toc;
    for (int32_t i = 0; i < tables; i++) toc.push_back({r.U32(), r.U32(), r.U32(), r.U32()});
    if (!r.ok) return face;
    ReadProperties(r, toc, face);
    if (!ReadGlyphMetrics(r, toc, face) || !ReadBitmaps(r, toc, face) || !ReadEncodings(r, toc, face)) return Face{};
    if (!ReadAccelerators(r, toc, face)) {
        face.ascent = face.descent = face.maxAdvance = 0;
        for (const Metrics &m : face.metrics) {
            face.ascent = std::max(face.ascent, m.ascent);
            face.descent = std::max(face.descent, m.descent);
            face.maxAdvance = std::max(face.maxAdvance, m.advance);
        }
    }
    // A face no screen could show is a damaged file, not a font to draw with.
    constexpr int kLargest = 4096;
    if (face.ascent < -kLargest || face.ascent > kLargest || face.descent < -kLargest || face.descent > kLargest ||
        face.ascent + face.descent <= 0)
        return Face{};
    face.loaded = true;
    return face;
}

// The glyph a code in the face's own encoding has, or kNoGlyph.
uint16_t GlyphForCode(const Face &face, uint32_t code) {
    if (!face.loaded || code == kNoCode) return kNoGlyph;
    int byte1 = static_cast<int>(code >> 8), byte2 = static_cast<int>(code & 0xFF);
    if (byte1 < face.minByte1 || byte1 > face.maxByte1 || byte2 < face.minByte2 || byte2 > face.maxByte2)
        return kNoGlyph;
    size_t at = static_cast<size_t>(byte1 - face.minByte1) * (face.maxByte2 - face.minByte2 + 1) + (byte2 - face.minByte2);
    uint16_t g = face.glyphIndex[at];
    return g < face.metrics.size() ? g : kNoGlyph;
}

Glyph MakeGlyph(const Face &face, uint16_t index) {
    const Metrics &m = face.metrics[index];
    Glyph g;
    g.advance = m.advance;
    g.left = m.lsb;
    g.ascent = m.ascent;
    g.width = std::max(0, m.rsb - m.lsb);
    g.height = std::max(0, m.ascent + m.descent);
    g.stride = (g.width + 7) / 8;
    g.stride = (g.stride + face.rowPad - 1) / face.rowPad * face.rowPad;
    size_t offset = face.offsets[index];
    size_t need = static_cast<size_t>(g.stride) * g.height;
    // A glyph whose bitmap lies outside the data keeps its width but draws nothing.
    if (g.width > 0 && g.height > 0 && offset <= face.bits.size() && face.bits.size() - offset >= need)
        g.rows = face.bits.data() + offset;
    return g;
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

char32_t FromUtf32(const std::string &s) {
    if (s.size() != 4) return 0;
    char32_t c = 0;
    for (int i = 3; i >= 0; i--) c = c << 8 | static_cast<unsigned char>(s[static_cast<size_t>(i)]);
    return c;
}

std::string ToUtf32(char32_t c) {
    std::string s(4, '\0');
    for (size_t i = 0; i < 4; i++) s[i] = static_cast<char>(c >> (8 * i) & 0xFF);
    return s;
}

Converter &FromCp932() {
    static Converter c("UTF-32LE", "CP932");
    return c;
}

// Microsoft's variant of EUC-JP maps the characters code page 932 gives
// different code points (～ ∥ － ￠ …) to their JIS X 0208 cells.
Converter &ToEucJp() {
    static Converter ms("EUC-JP-MS", "UTF-32LE");
    static Converter plain("EUC-JP", "UTF-32LE");
    return ms.Usable() ? ms : plain;
}

// A Unicode character's code in a face's encoding, or kNoCode.
uint32_t CodeInFace(const Face &face, char32_t c) {
    const std::string &cs = face.charset;
    if (cs == "ISO10646-1") return c;
    if (cs == "ISO8859-1") return c < 0x100 ? c : kNoCode;
    if (cs == "ISO646.1991-IRV") return c < 0x80 ? c : kNoCode;
    if (cs == "JISX0201.1976-0") {
        // The Roman half has the yen sign and the overline where ASCII has \ and ~.
        if (c == 0xA5) return 0x5C;
        if (c == 0x203E) return 0x7E;
        if (c < 0x80 && c != 0x5C && c != 0x7E) return c;
        if (c >= 0xFF61 && c <= 0xFF9F) return c - 0xFF61 + 0xA1;
        return kNoCode;
    }
    if (cs.rfind("JISX0208", 0) == 0 || cs.rfind("JISC6226", 0) == 0) {
        std::string euc = ToEucJp().Convert(ToUtf32(c).data(), 4);
        if (euc.size() != 2) return kNoCode;
        auto b1 = static_cast<unsigned char>(euc[0]), b2 = static_cast<unsigned char>(euc[1]);
        if (b1 < 0xA1 || b2 < 0xA1) return kNoCode;
        return static_cast<uint32_t>((b1 & 0x7F) << 8 | (b2 & 0x7F));
    }
    return kNoCode;
}

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

}  // namespace

// The system font: faces tried in order for a half-width and for a
// full-width character, and the cell a character no face has takes.
struct TextFont {
    std::vector<Face> faces;
    std::vector<size_t> halfWidth, fullWidth;  // indices into faces
    int ascent = 0, descent = 0;
    int halfAdvance = 0, fullAdvance = 0;
};

namespace {

// Without any font file the text still has a fixed 8 x 16 cell per byte,
// blank, so a machine lacking the packages draws and measures the same way.
constexpr int kBlankHalfWidth = 8;
constexpr int kBlankHeight = 16;

TextFont LoadSystemFont() {
    TextFont font;
    // The 8 x 16 face (ISO 8859-1) and its JIS X 0201 katakana companion from
    // xfonts-base; the 16-dot JIS X 0208 kanji face of the 1990 edition, which
    // code page 932 follows (凜 熙), from xfonts-intl-japanese, else the 1983
    // one of xfonts-base. All have an ascent of 14 and a descent of 2.
    auto load = [](const char *file) { return LoadFace(std::string(kFontFolder) + file); };
    font.faces.push_back(load("8x16.pcf.gz"));
    font.faces.push_back(load("8x16rk.pcf.gz"));
    font.faces.push_back(load("j90-16.pcf.gz"));
    if (!font.faces.back().loaded) font.faces.back() = load("jiskan16.pcf.gz");
    const Face &latin = font.faces[0], &kana = font.faces[1], &kanji = font.faces[2];
    if (latin.loaded) font.halfWidth.push_back(0);
    if (kana.loaded) font.halfWidth.push_back(1);
    if (kanji.loaded) font.fullWidth.push_back(2);
    for (const Face &f : font.faces) {
        if (!f.loaded) continue;
        font.ascent = std::max(font.ascent, f.ascent);
        font.descent = std::max(font.descent, f.descent);
    }
    if (font.ascent + font.descent <= 0) {
        font.ascent = kBlankHeight;
        font.descent = 0;
    }
    font.halfAdvance = latin.loaded ? latin.maxAdvance : kana.loaded ? kana.maxAdvance : kBlankHalfWidth;
    font.fullAdvance = kanji.loaded ? kanji.maxAdvance : 2 * font.halfAdvance;
    return font;
}

// A character's glyph from the first face that has it; else the first face's
// default character; else a blank cell as wide as the character's class.
Glyph GlyphFor(const TextFont &font, bool full, const std::string &cp932) {
    const std::vector<size_t> &faces = full ? font.fullWidth : font.halfWidth;
    std::string utf32 = FromCp932().Convert(cp932.data(), cp932.size());
    if (utf32.size() == 4) {
        char32_t c = FromUtf32(utf32);
        for (size_t i : faces) {
            const Face &f = font.faces[i];
            uint16_t g = GlyphForCode(f, CodeInFace(f, c));
            if (g != kNoGlyph) return MakeGlyph(f, g);
        }
    }
    if (!faces.empty()) {
        const Face &f = font.faces[faces.front()];
        uint16_t g = GlyphForCode(f, f.defaultChar);
        if (g != kNoGlyph) return MakeGlyph(f, g);
    }
    Glyph blank;
    blank.advance = full ? font.fullAdvance : font.halfAdvance;
    return blank;
}

}  // namespace

bool GlyphInk(const Glyph &g, int x, int y) {
    if (!g.rows || x < 0 || y < 0 || x >= g.width || y >= g.height) return false;
    return (g.rows[static_cast<size_t>(y) * g.stride + x / 8] >> (7 - x % 8)) & 1;
}

// Every font object draws with the system font until fonts can be created.
const TextFont &FontFor(HGDIOBJ) {
    static const TextFont font = LoadSystemFont();
    return font;
}

int FontAscent(const TextFont &font) { return font.ascent; }
int FontHeight(const TextFont &font) { return font.ascent + font.descent; }

std::vector<Glyph> TextGlyphs(const TextFont &font, const char *text, int length) {
    std::vector<Glyph> glyphs;
    if (!text || length <= 0) return glyphs;
    for (int i = 0; i < length;) {
        auto b = static_cast<unsigned char>(text[i]);
        bool pair = IsLeadByte(b) && i + 1 < length;
        int n = pair ? 2 : 1;
        glyphs.push_back(GlyphFor(font, pair, std::string(text + i, static_cast<size_t>(n))));
        i += n;
    }
    return glyphs;
}

}  // namespace layer
