// Builders of the bytes of the files the program reads: packed DIBs, BMP
// files, saver files, WAV music. Plain C++, so the tools use them too.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

void Put16(Bytes &out, uint16_t v);
void Put32(Bytes &out, uint32_t v);

// A 40-byte BITMAPINFOHEADER; resolutions and important colours 0.
void PutInfoHeader(Bytes &out, int width, int height, int bitCount, uint32_t compression, uint32_t sizeImage,
                   uint32_t colorsUsed);

// A packed DIB: BITMAPINFOHEADER, colour table, bottom-up pixel rows.
// colors is the biClrUsed the header states: -1 states the full table of
// 8 bits and less, 0 leaves it implied (the full table is still there), n
// gives n entries.
// pixel(x, y) gives the colour index, or 0x00RRGGBB for deeper bitmaps;
// y = 0 is the top row. The colour table is a grey ramp unless table is given
// (0x00RRGGBB entries).
Bytes MakePackedDib(int width, int height, int bitCount, const std::function<uint32_t(int x, int y)> &pixel,
                    int colors = -1, const std::vector<uint32_t> &table = {});

// A BMP file: the 14-byte file header in front of a packed DIB.
Bytes MakeBmpFile(const Bytes &packedDib);

// A saver file: the count, then each record's size pair and blocks.
struct ShowRecord {
    Bytes full;
    Bytes preview;
};
Bytes MakeShow(const std::vector<ShowRecord> &records);
Bytes MakeShow(const std::vector<ShowRecord> &records, int32_t count);

// A PCM WAV file of the given length (8 kHz, 8 bits, mono).
Bytes MakeWav(unsigned milliseconds);

// The text of a title disc's catalogue: title, picture folder, sound
// folder, the content count and names, the track count and names, in lines
// ended by CR LF. UTF-8, as the sources are: whoever writes it to a disc
// converts it to code page 932.
std::string CatalogueText(const std::string &title, const std::vector<std::string> &contents,
                          const std::vector<std::string> &tracks, const std::string &soundDir = "DAT\\SOUND\\S\\");
