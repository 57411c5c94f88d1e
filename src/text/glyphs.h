// Japanese on a system whose fonts have none. A Western Windows may lack the
// dialogs' font ("ＭＳ ゴシック") and its default fonts have no Japanese
// glyphs; a font asked for by the Japanese character set has them.
#pragma once

#include <windows.h>

#include <string_view>

// Null when the font selected into hdc draws every character of text;
// otherwise a font of the same size that does (kept for the process), or
// null when the system has none.
HFONT FontWithGlyphsFor(HDC hdc, std::wstring_view text);
// Gives each control of the dialog whose font lacks glyphs of what it shows
// (its text, a list's or combo box's items) a font that has them.
void UseFontWithGlyphs(HWND dialog);
