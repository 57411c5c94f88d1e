// Builders of the files the tests feed the program: saver files, packed
// DIBs, WAV music. Files are written through the Win32 file calls, so the
// same test runs against Windows and the portable layer.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A packed DIB: BITMAPINFOHEADER, colour table (colors entries, or the
// full table for 8 bits and less when colors is -1), bottom-up pixel rows.
// pixel(x, y) gives the colour index, or 0x00RRGGBB for deeper bitmaps;
// y = 0 is the top row.
Bytes MakePackedDib(int width, int height, int bitCount, const std::function<uint32_t(int x, int y)> &pixel,
                    int colors = -1);

// A saver file: the count, then each record's size pair and blocks.
struct ShowRecord {
    Bytes full;
    Bytes preview;
};
Bytes MakeShow(const std::vector<ShowRecord> &records);
Bytes MakeShow(const std::vector<ShowRecord> &records, int32_t count);

// A PCM WAV file of the given length (8 kHz, 8 bits, mono).
Bytes MakeWav(unsigned milliseconds);

// Whole files by DOS path.
bool WriteDosFile(const std::string &path, const Bytes &bytes);
Bytes ReadDosFile(const std::string &path);
void DeleteDosFile(const std::string &path);
std::string SystemDirectory();  // without a trailing backslash

void Put16(Bytes &out, uint16_t v);
void Put32(Bytes &out, uint32_t v);
