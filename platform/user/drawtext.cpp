// DrawTextW: text (UTF-16) laid out in a rectangle in the DC's font. Lines
// end at CR, LF or their pairs (not with DT_SINGLELINE) and, with
// DT_WORDBREAK, where a word would cross the right edge: after spaces, and
// around Japanese characters as a Japanese Windows breaks them, keeping closing marks off a
// line's start and opening ones off its end. An '&' underlines the character
// after it; "&&" shows one. Where Windows is loose about details (the spaces
// at a break, a lone '&'), this follows the Wine the Windows build is tested on.
#include "user.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <unordered_map>

namespace headless {
namespace {

// How a character takes part in breaking a line (the classes of Unicode's
// line breaking, as far as code page 932 has them).
enum class Kind {
    Space,
    Open,         // 「 ( …: nothing breaks after it
    Close,        // 」 。 ！ …: no line starts with it
    Nonstarter,   // ー 々 small kana …: none starts a line, unless after a space
    CloseParen,   // ) ] }
    Stop,         // , . : ;
    Exclaim,      // ! ?
    Percent,      // %
    Prefix,       // $ + \ ￥: stays with a number or ideograph after it
    Hyphen,       // - | and an unexpanded tab: a break may follow
    Slash,        // /
    Quote,        // " ': stays with both neighbours
    Ideographic,  // kanji, kana: a break may come before and after
    Letter,       // letters and the rest of ASCII: words break only at spaces
    Digit,
};

Kind KindOfSingle(unsigned char c) {
    if (c == ' ') return Kind::Space;
    if (c >= '0' && c <= '9') return Kind::Digit;
    if (c != 0 && c < 0x80) {
        struct Entry {
            const char *chars;
            Kind kind;
        };
        static const Entry kAscii[] = {{"([{", Kind::Open},    {")]}", Kind::CloseParen}, {",.:;", Kind::Stop},
                                       {"!?", Kind::Exclaim},  {"%", Kind::Percent},      {"$+\\", Kind::Prefix},
                                       {"-|\t", Kind::Hyphen}, {"/", Kind::Slash},        {"\"'", Kind::Quote}};
        for (const Entry &e : kAscii)
            if (std::strchr(e.chars, c)) return e.kind;
        return Kind::Letter;
    }
    // Half-width katakana: its brackets and stops, the marks and small letters.
    if (c == 0xA2) return Kind::Open;
    if (c == 0xA1 || c == 0xA3 || c == 0xA4) return Kind::Close;
    if (c == 0xA5 || (c >= 0xA7 && c <= 0xAF) || c == 0xB0 || c == 0xDE || c == 0xDF) return Kind::Nonstarter;
    if (c >= 0xA6 && c <= 0xDD) return Kind::Ideographic;
    return Kind::Letter;
}

Kind KindOfDouble(unsigned code) {
    // Row 0x81 holds the punctuation: the ideographic space, commas and stops,
    // marks that continue a word, the brackets (opening at odd codes from
    // 0x8165, closing at even ones), units and currency.
    static const unsigned kClosing[] = {0x8141, 0x8142, 0x8143, 0x8144};  // 、。，．
    static const unsigned kNonstarting[] = {
        0x8140, 0x8145, 0x8146, 0x8147, 0x814A, 0x814B, 0x8152, 0x8153, 0x8154, 0x8155, 0x8158, 0x815B, 0x815D,
        0x8163, 0x8164, 0x818B, 0x818C, 0x818D, 0x818E, 0x8191, 0x8193,
        // small kana
        0x829F, 0x82A1, 0x82A3, 0x82A5, 0x82A7, 0x82C1, 0x82E1, 0x82E3, 0x82E5, 0x82EC, 0x8340, 0x8342, 0x8344,
        0x8346, 0x8348, 0x8362, 0x8383, 0x8385, 0x8387, 0x838E, 0x8395, 0x8396};
    auto in = [code](const auto &list) { return std::find(std::begin(list), std::end(list), code) != std::end(list); };
    if (in(kClosing)) return Kind::Close;
    if (code == 0x8148 || code == 0x8149) return Kind::Exclaim;  // ？！
    if (in(kNonstarting)) return Kind::Nonstarter;
    if (code >= 0x8165 && code <= 0x817A) return code & 1 ? Kind::Open : Kind::Close;
    if (code == 0x818F || code == 0x8190 || code == 0x8192) return Kind::Prefix;  // ￥ ＄ ￡
    return Kind::Ideographic;
}

// A character's kind, by its code in code page 932 where it has one (the
// tables above); beyond that page, ideographs break as kanji do.
Kind KindOfChar(char32_t c) {
    if (c < 0x80) return KindOfSingle(static_cast<unsigned char>(c));
    if (c >= 0xFF61 && c <= 0xFF9F) return KindOfSingle(static_cast<unsigned char>(c - 0xFF61 + 0xA1));
    static std::unordered_map<char32_t, Kind> known;
    auto it = known.find(c);
    if (it != known.end()) return it->second;
    bool lossy = false;
    std::string ansi = ToAnsi(Utf8(std::u32string(1, c)), &lossy);
    Kind kind = Kind::Letter;
    if (!lossy && ansi.size() == 2)
        kind = KindOfDouble(static_cast<unsigned char>(ansi[0]) << 8 | static_cast<unsigned char>(ansi[1]));
    else if ((c >= 0x3000 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x3FFFF))
        kind = Kind::Ideographic;
    // Greek and Cyrillic are double-byte in code page 932 but letters of words.
    if (c >= 0x370 && c <= 0x52F) kind = Kind::Letter;
    known.emplace(c, kind);
    return kind;
}

// Whether a line may break between two characters.
bool BreakBetween(Kind before, Kind after) {
    switch (after) {
    case Kind::Space:
    case Kind::Close:
    case Kind::CloseParen:
    case Kind::Stop:
    case Kind::Exclaim:
    case Kind::Slash: return false;
    default: break;
    }
    if (before == Kind::Open) return false;
    if (before == Kind::Space) return true;
    switch (after) {
    case Kind::Nonstarter:
    case Kind::Percent:
    case Kind::Hyphen:
    case Kind::Quote: return false;
    default: break;
    }
    switch (before) {
    case Kind::Quote: return false;
    case Kind::Close:
    case Kind::Nonstarter:
    case Kind::Exclaim: return true;
    case Kind::Prefix: return after == Kind::Letter;
    default: break;
    }
    if (before == Kind::Ideographic || after == Kind::Ideographic) return true;
    switch (before) {
    case Kind::CloseParen:
    case Kind::Stop: return after == Kind::Open;
    case Kind::Percent: return after == Kind::Letter;
    case Kind::Hyphen:
    case Kind::Slash: return after != Kind::Digit;
    default: return after == Kind::Prefix;  // a letter or digit
    }
}

// One character as shown: where it came from in the caller's text (from its
// '&' when it has one), its units, its width, and whether it is underlined.
struct Shown {
    int source = 0;
    int at = 0, units = 0;  // in the segment's text: one, or a surrogate pair
    int width = 0;
    bool prefixed = false;
    bool space = false;  // a plain space, which a break swallows
    Kind kind = Kind::Letter;
};

// Whether a line may break before chars[i]. Spaces do not part an opening
// bracket from what follows it, a closing one from a nonstarter, or a quote
// from an opening bracket.
bool BreakBefore(const std::vector<Shown> &chars, size_t i) {
    size_t word = i - 1;
    while (word > 0 && chars[word].kind == Kind::Space) word--;
    Kind last = chars[word].kind, next = chars[i].kind;
    if (last == Kind::Open) return false;
    if (chars[i - 1].kind == Kind::Space) {
        if ((last == Kind::Close || last == Kind::CloseParen) && next == Kind::Nonstarter) return false;
        if (last == Kind::Quote && next == Kind::Open) return false;
    }
    return BreakBetween(chars[i - 1].kind, next);
}

// Part of a line up to a tab (or the whole line): drawn from x, from the
// line's start, with at most one underlined character.
struct Segment {
    int64_t x = 0;
    std::wstring text;
    int64_t underlineFrom = -1;  // from the segment's start
    int underlineWidth = 0;
};

struct Line {
    std::vector<Segment> segments;
    int64_t width = 0;
    int height = 0;
};

struct Layout {
    HDC hdc;
    const TextFont *font;
    const WCHAR *text;
    int length;
    UINT format;
    int64_t width;  // of the rectangle
    int tabWidth;   // eight average characters
};

int ToInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); }

bool EndsLine(const Layout &l, WCHAR c) {
    return (c == '\t' && (l.format & DT_EXPANDTABS)) || ((c == '\r' || c == '\n') && !(l.format & DT_SINGLELINE));
}

// The characters of one segment from pos: prefixes taken out (an '&' that is
// the text's last character shows as itself).
std::vector<Shown> ReadSegment(const Layout &l, int &pos, std::wstring &units) {
    std::vector<Shown> chars;
    while (pos < l.length && !EndsLine(l, l.text[pos])) {
        Shown c;
        c.source = pos;
        if (!(l.format & DT_NOPREFIX) && l.text[pos] == '&' && pos + 1 < l.length) {
            pos++;
            c.prefixed = l.text[pos] != '&';
            // A prefix just before a line's end marks nothing.
            if (c.prefixed && EndsLine(l, l.text[pos])) break;
        }
        bool pair = (l.text[pos] & 0xFC00) == 0xD800 && pos + 1 < l.length && (l.text[pos + 1] & 0xFC00) == 0xDC00;
        c.units = pair ? 2 : 1;
        c.kind = KindOfChar(Chars(l.text + pos, static_cast<size_t>(c.units)).front());
        c.space = l.text[pos] == L' ';
        c.at = static_cast<int>(units.size());
        units.append(l.text + pos, static_cast<size_t>(c.units));
        pos += c.units;
        chars.push_back(c);
    }
    std::vector<Glyph> glyphs = TextGlyphs(*l.font, units.data(), static_cast<int>(units.size()));
    for (size_t i = 0; i < chars.size() && i < glyphs.size(); i++) chars[i].width = glyphs[i].advance;
    return chars;
}

// Where a segment too wide for its room ends: how many characters stay on
// the line and how many are used up (a space at the break is dropped).
void BreakSegment(const Layout &l, const std::vector<Shown> &chars, size_t fit, size_t &kept, size_t &used) {
    size_t at = 0;  // the break: before chars[at]
    for (size_t i = std::min(fit, chars.size() - 1); i >= 1 && !at; i--)
        if (BreakBefore(chars, i)) at = i;
    if (fit == 0 || !at) {
        // No break in reach: the whole word stays, however wide.
        size_t end = fit;
        while (end < chars.size() && !chars[end].space) end++;
        kept = end;
        used = end < chars.size() ? end + 1 : end;
        return;
    }
    kept = at;
    // Centred and right-aligned lines leave a space at the break off.
    if ((l.format & (DT_CENTER | DT_RIGHT)) && chars[at - 1].space) kept = at - 1;
    used = kept < chars.size() && chars[kept].space ? kept + 1 : kept;
}

// Lays out the line starting at pos; pos moves to the next line's start.
Line NextLine(const Layout &l, int &pos, int lineHeight) {
    Line line;
    bool underlined = false;
    for (;;) {
        if (pos < l.length && l.text[pos] == '\t' && (l.format & DT_EXPANDTABS)) {
            line.width = (line.width / l.tabWidth + 1) * l.tabWidth;
            for (pos++; pos < l.length && l.text[pos] == '\t'; pos++) line.width += l.tabWidth;
        }
        Segment seg;
        seg.x = line.width;
        int end = pos;
        std::vector<Shown> chars = ReadSegment(l, end, seg.text);
        // What fits in the room left; a segment starting beyond the right
        // edge (after a tab) is measured without a limit, so fits whole.
        size_t fit = 0;
        int64_t room = l.width - line.width, used = 0;
        if (room < 0) fit = chars.size();
        while (fit < chars.size() && used + chars[fit].width <= room) used += chars[fit++].width;
        size_t kept = chars.size(), consumed = chars.size();
        bool broken = fit < chars.size() && (l.format & DT_WORDBREAK);
        if (broken) {
            BreakSegment(l, chars, fit, kept, consumed);
            if (consumed < chars.size()) end = chars[consumed].source;
            seg.text.resize(kept < chars.size() ? static_cast<size_t>(chars[kept].at) : seg.text.size());
        }
        int64_t x = 0;
        for (size_t i = 0; i < kept; i++) {
            // The last marked character of the first segment that has one.
            if (chars[i].prefixed && !underlined) seg.underlineFrom = x, seg.underlineWidth = chars[i].width;
            x += chars[i].width;
        }
        underlined = underlined || seg.underlineFrom >= 0;
        line.width += x;
        if (kept) line.height = lineHeight;
        line.segments.push_back(std::move(seg));
        pos = end;
        if (broken || pos >= l.length) break;
        if (l.text[pos] == '\r' || l.text[pos] == '\n') {
            // CR LF and LF CR end one line; CR CR and LF LF two.
            pos++;
            if (pos < l.length && (l.text[pos] == '\r' || l.text[pos] == '\n') && l.text[pos] != l.text[pos - 1]) pos++;
            break;
        }
    }
    return line;
}

void DrawLine(const Layout &l, const Line &line, int64_t x, int64_t y, const RECT &rect) {
    DeviceContext *dc = FindDc(l.hdc);
    const TEXTMETRICW &tm = FontMetrics(*l.font);
    const RECT *clip = (l.format & DT_NOCLIP) ? nullptr : &rect;
    for (const Segment &seg : line.segments) {
        int64_t at = x + seg.x;
        DrawTextRun(l.hdc, ToInt(at), ToInt(y), seg.text.data(), static_cast<int>(seg.text.size()), clip);
        if (seg.underlineFrom < 0 || !dc) continue;
        // A one-pixel line below the baseline, one pixel short of the character.
        int64_t from = at + seg.underlineFrom, baseline = y + tm.tmAscent;
        RECT under{ToInt(from), ToInt(baseline + 1), ToInt(from + seg.underlineWidth - 1), ToInt(baseline + 2)};
        if (clip) {
            if (under.left > rect.right || under.right < rect.left || under.top < rect.top || under.top > rect.bottom)
                continue;
            under.left = std::max(under.left, rect.left);
            under.right = std::min(under.right, rect.right);
        }
        FillOnScreen(l.hdc, under, ToPixel(dc->textColor));
    }
}

}  // namespace
}  // namespace headless

using namespace headless;

int WINAPI DrawTextW(HDC hdc, LPCWSTR text, int length, LPRECT rect, UINT format) {
    DeviceContext *dc = FindDc(hdc);
    if (!dc || !rect || (!text && length > 0)) return 0;
    const TextFont &font = FontFor(dc->font);
    const TEXTMETRICW &tm = FontMetrics(font);
    const int lineHeight = tm.tmHeight;
    // No characters at all: a line's height, the rectangle as it was (as Windows' W form answers).
    if (length == 0) return lineHeight;
    if (length < 0) {
        size_t n = 0;
        while (text && text[n] && n < INT_MAX) n++;
        length = static_cast<int>(n);
    }
    if (length == 0) {
        if (format & DT_CALCRECT) {
            rect->right = rect->left;
            rect->bottom = rect->top + (format & DT_SINGLELINE ? lineHeight : 0);
        }
        return lineHeight;
    }
    if (format & DT_SINGLELINE) format &= ~DT_WORDBREAK;
    if (format & DT_CALCRECT) format |= DT_NOCLIP;
    const int tabWidth = std::max<int>(1, 8 * tm.tmAveCharWidth);
    Layout l{hdc, &font, text, length, format, int64_t{rect->right} - rect->left, tabWidth};

    int64_t y = rect->top, widest = 0;
    int pos = 0;
    bool last = false;
    while (pos < length && !last) {
        // Lines below the rectangle are not drawn unless nothing is clipped.
        last = !(format & DT_NOCLIP) && y + lineHeight > rect->bottom;
        Line line = NextLine(l, pos, lineHeight);
        int64_t x = rect->left;
        if (format & DT_CENTER)
            x = (int64_t{rect->left} + rect->right - line.width) / 2;
        else if (format & DT_RIGHT)
            x = rect->right - line.width;
        if (format & DT_SINGLELINE) {
            if (format & DT_VCENTER)
                y = rect->top + (int64_t{rect->bottom} - rect->top) / 2 - line.height / 2;
            else if (format & DT_BOTTOM)
                y = int64_t{rect->bottom} - line.height;
        }
        if (format & DT_CALCRECT)
            widest = std::max(widest, line.width);
        else
            DrawLine(l, line, x, y, *rect);
        y += lineHeight;
    }
    if (format & DT_CALCRECT) {
        rect->right = ToInt(rect->left + widest);
        rect->bottom = ToInt(y);
    }
    // The height of the text, or with DT_VCENTER and DT_BOTTOM how far its
    // bottom lies below the rectangle's top; never 0 once something was laid out.
    int height = ToInt(y - rect->top);
    return height ? height : 1;
}
