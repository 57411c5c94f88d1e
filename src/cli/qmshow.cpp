// qmshow: the program's own code for discs, pictures and shows, from the
// command line. Exit status 0 when done, 1 on failure (with one line on
// stderr saying why), 2 on wrong usage.
#include "cli/console.h"
#include "cli/make.h"
#include "text/text.h"
#include "disc/catalogue.h"
#include "disc/picture.h"
#include "image/jpeg.h"
#include "saverfile/format.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: qmshow COMMAND ...\n"
    "\n"
    "  disc [ROOT]                          the title disc's catalogue: found in the CD-ROM drives\n"
    "                                       as the configuration dialog finds it, or read from ROOT,\n"
    "                                       a disc's root folder\n"
    "  decode PICTURE OUT.BMP               a BMP or JPEG file loaded as the program loads it\n"
    "  picture KIND CONTENT NUMBER OUT.BMP [--root ROOT]\n"
    "                                       a picture of the title disc (kinds 1-5, 12-15)\n"
    "  info SHOW.QMS                        the records of a show and what each block holds\n"
    "  extract SHOW.QMS N OUT.BMP [--preview]\n"
    "                                       record N's full-screen picture (or its preview)\n"
    "  make SHOW.QMS PICTURE... [--music WAV] [--screen WxH] [--8bit]\n"
    "                                       a show in the show folder from JPEG, PNG and BMP\n"
    "                                       pictures, each turned upright as its EXIF data says and\n"
    "                                       fitted into the screen (800x600 unless told) and into a\n"
    "                                       100x75 preview; --8bit makes both 256-colour pictures\n"
    "\n"
    "Output is tab-separated text. Exit status: 0 done, 1 failed, 2 wrong usage.\n";

constexpr int kDone = 0, kFailed = 1, kUsageError = 2;

int Fail(const std::string &why) {
    Err("qmshow: %s\n", why.c_str());
    return kFailed;
}

int Usage() {
    Err("%s", kUsage);
    return kUsageError;
}

void ReportToStderr(const char *text, bool isError) {
    Err("qmshow: %s: %s\n", isError ? "JPEG ERROR" : "JPEG Error", text);
}

bool ParseNumber(const char *text, long low, long high, int *value) {
    char *end = nullptr;
    long n = std::strtol(text, &end, 10);
    if (!*text || *end || n < low || n > high) return false;
    *value = static_cast<int>(n);
    return true;
}

// ---- writing pictures ---------------------------------------------------------

// The bytes of a packed DIB up to the end of its rows: what a BMP file holds
// behind its file header.
size_t PackedLength(const BITMAPINFOHEADER *dib, const BYTE *pixels) {
    size_t start = static_cast<size_t>(pixels - reinterpret_cast<const BYTE *>(dib));
    bool rle = dib->biCompression == BI_RLE8 || dib->biCompression == BI_RLE4;
    size_t rows = rle ? dib->biSizeImage
                      : size_t{DibStride(static_cast<uint32_t>(dib->biWidth), dib->biBitCount)} *
                            static_cast<uint32_t>(dib->biHeight);
    return start + rows;
}

// Writes a BMP file; a file that could not be written whole is removed.
bool WriteBmpFile(const char *path, const BITMAPINFOHEADER *dib, const BYTE *pixels) {
    size_t length = PackedLength(dib, pixels);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfSize = static_cast<DWORD>(sizeof header + length);
    header.bfOffBits = static_cast<DWORD>(sizeof header + (pixels - reinterpret_cast<const BYTE *>(dib)));
    HFILE file = CreateAnew(path);
    if (file == HFILE_ERROR) return false;
    bool written = _lwrite(file, reinterpret_cast<LPCSTR>(&header), sizeof header) == sizeof header &&
                   _hwrite(file, reinterpret_cast<LPCSTR>(dib), static_cast<long>(length)) == static_cast<long>(length);
    if (_lclose(file) != 0) written = false;
    if (!written) RemoveFile(path);
    return written;
}

// A loaded picture written out and released.
int WritePicture(PackedDib dib, const char *out, const std::string &what) {
    if (!dib) return Fail(what + ": not a picture the program can load");
    // The loaders leave the pixels right behind the colour table.
    const BYTE *pixels = reinterpret_cast<const BYTE *>(dib) + dib->biSize + DibTableBytes(dib);
    bool written = WriteBmpFile(out, dib, pixels);
    DibFree(dib);
    return written ? kDone : Fail(std::string("cannot write ") + out);
}

// ---- commands -------------------------------------------------------------------

int Disc(int argc, char **argv) {
    if (argc > 1) return Usage();
    bool found = argc == 1 ? ReadTitleDisc(argv[0]) : ScanForTitleDisc();
    if (!found) return Fail(argc == 1 ? std::string("no title disc at ") + argv[0] : "no title disc in any CD-ROM drive");
    Out("title\t%s\n", catalogue.title);
    Out("root\t%s\n", catalogue.discRoot);
    Out("sound\t%s\n", catalogue.soundDir);
    for (int i = 0; i < catalogue.contentCount; i++)
        Out("content\t%d\t%s\n", i + 1, catalogue.contentNames[i]);
    for (int i = 0; i < catalogue.trackCount; i++)
        Out("track\t%d\t%s\n", i + 1, catalogue.trackNames[i]);
    return kDone;
}

int Decode(int argc, char **argv) {
    if (argc != 2) return Usage();
    HFILE file = OpenForReading(argv[0]);
    if (file == HFILE_ERROR) return Fail(std::string("cannot open ") + argv[0]);
    BYTE start[2] = {};
    UINT got = _lread(file, start, 2);
    _lclose(file);
    bool jpeg = got == 2 && start[0] == 0xFF && start[1] == 0xD8;
    return WritePicture(jpeg ? JpegLoadFile(argv[0]) : DibLoadFile(argv[0]), argv[1], argv[0]);
}

int Picture(int argc, char **argv) {
    const char *root = nullptr;
    if (argc == 6 && std::strcmp(argv[4], "--root") == 0) root = argv[5];
    else if (argc != 4) return Usage();
    int kind, content, number;
    if (!ParseNumber(argv[0], 0, 255, &kind) || !ParseNumber(argv[1], 0, 99, &content) ||
        !ParseNumber(argv[2], 0, 999, &number))
        return Usage();
    if (!(root ? ReadTitleDisc(root) : ScanForTitleDisc())) return Fail("no title disc");
    char path[kPathBytes];
    if (!PicturePath(kind, content, number, path, sizeof path)) return Fail("kind " + std::string(argv[0]) + " names no picture");
    return WritePicture(LoadPicture(kind, content, number), argv[3], path);
}

// ---- shows ----------------------------------------------------------------------

struct Show {
    HFILE file = HFILE_ERROR;
    int32_t count = 0;
    ~Show() {
        if (file != HFILE_ERROR) _lclose(file);
    }
};

bool OpenShow(const char *path, Show &show, std::string &why) {
    show.file = OpenForReading(path);
    if (show.file == HFILE_ERROR) {
        why = std::string("cannot open ") + path;
        return false;
    }
    if (!ReadPictureCount(show.file, &show.count)) {
        why = "the file is shorter than its picture count";
        return false;
    }
    return true;
}

// The size pair of the record at the current position, checked as the
// player checks it; why says what is wrong otherwise.
bool ReadRecord(HFILE file, RecordSizes &sizes, std::string &why) {
    if (!ReadRecordSizes(file, &sizes)) {
        why = "the file ends inside the record's sizes";
        return false;
    }
    if (!RecordFitsInFile(file, sizes)) {
        why = "the blocks reach past the end of the file";
        return false;
    }
    return true;
}

// A block's picture as "W x H x bits", or what keeps the player from drawing it.
std::string DescribeBlock(HFILE file, uint32_t size) {
    BITMAPINFOHEADER header{};
    UINT wanted = size < sizeof header ? size : sizeof header;
    LONG start = _llseek(file, 0, FILE_CURRENT);
    bool read = _lread(file, &header, wanted) == wanted;
    _llseek(file, start, FILE_BEGIN);
    SkipBlock(file, size);
    if (!read || !DibPixelsInBlock(&header, size)) return "no drawable picture";
    return std::to_string(header.biWidth) + "x" + std::to_string(header.biHeight) + "x" + std::to_string(header.biBitCount);
}

int Info(int argc, char **argv) {
    if (argc != 1) return Usage();
    Show show;
    std::string why;
    if (!OpenShow(argv[0], show, why)) return Fail(why);
    Out("count\t%d\n", show.count);
    bool damaged = !IsPlayableCount(show.count);
    if (damaged) Out("damaged\tthe player plays 1 to %d pictures\n", kMaxPictures);
    for (int32_t k = 1; !damaged && k <= show.count; k++) {
        LONG offset = _llseek(show.file, 0, FILE_CURRENT);
        RecordSizes sizes;
        if (!ReadRecord(show.file, sizes, why)) {
            Out("record\t%d\t%ld\tdamaged: %s\n", k, static_cast<long>(offset), why.c_str());
            damaged = true;
            break;
        }
        std::string full = DescribeBlock(show.file, sizes.fullSize);
        // A record may hold no preview: the editor shows its placeholder.
        std::string preview = sizes.previewSize == 0 ? "none" : DescribeBlock(show.file, sizes.previewSize);
        Out("record\t%d\t%ld\t%lu\t%lu\t%s\t%s\n", k, static_cast<long>(offset),
                    static_cast<unsigned long>(sizes.fullSize), static_cast<unsigned long>(sizes.previewSize),
                    full.c_str(), preview.c_str());
        if (full.find('x') == std::string::npos || (sizes.previewSize != 0 && preview.find('x') == std::string::npos))
            damaged = true;
    }
    if (damaged) return Fail(std::string(argv[0]) + " is damaged");
    LONG here = _llseek(show.file, 0, FILE_CURRENT), end = _llseek(show.file, 0, FILE_END);
    if (end > here) Out("trailing\t%ld\n", static_cast<long>(end - here));
    return kDone;
}

int Extract(int argc, char **argv) {
    bool preview = argc == 4 && std::strcmp(argv[3], "--preview") == 0;
    if (argc != 3 && !preview) return Usage();
    int wanted;
    if (!ParseNumber(argv[1], 1, kMaxPictures, &wanted)) return Usage();
    Show show;
    std::string why;
    if (!OpenShow(argv[0], show, why)) return Fail(why);
    if (wanted > show.count) return Fail("the show has " + std::to_string(show.count) + " pictures");
    RecordSizes sizes;
    for (int k = 1;; k++) {
        if (!ReadRecord(show.file, sizes, why)) return Fail("record " + std::to_string(k) + ": " + why);
        if (k == wanted) break;
        SkipBlock(show.file, sizes.fullSize);
        SkipBlock(show.file, sizes.previewSize);
    }
    if (preview) SkipBlock(show.file, sizes.fullSize);
    uint32_t size = preview ? sizes.previewSize : sizes.fullSize;
    // The size lies within the file, so it fits in a long.
    std::vector<BYTE> block(size);
    if (_hread(show.file, block.data(), static_cast<long>(size)) != static_cast<long>(size))
        return Fail("cannot read the block");
    auto *dib = reinterpret_cast<const BITMAPINFOHEADER *>(block.data());
    const BYTE *pixels = DibPixelsInBlock(dib, size);
    if (!pixels) return Fail("record " + std::string(argv[1]) + " holds no drawable picture");
    return WriteBmpFile(argv[2], dib, pixels) ? kDone : Fail(std::string("cannot write ") + argv[2]);
}

}  // namespace

int main(int, char **) {
    // The arguments as the system has them, whatever the ANSI code page.
    std::vector<std::string> words = CommandLineArguments();
    if (words.empty()) return Usage();
    std::string command = words[0];
    if (command == "--help" || command == "-h" || command == "help") {
        Out("%s", kUsage);
        return kDone;
    }
    SetJpegReporter(ReportToStderr);
    std::vector<char *> pointers;
    for (size_t i = 1; i < words.size(); i++) pointers.push_back(words[i].data());
    pointers.push_back(nullptr);
    int n = static_cast<int>(words.size()) - 1;
    char **args = pointers.data();
    if (command == "disc") return Disc(n, args);
    if (command == "decode") return Decode(n, args);
    if (command == "picture") return Picture(n, args);
    if (command == "info") return Info(n, args);
    if (command == "extract") return Extract(n, args);
    if (command == "make") {
        int status = MakeShowCommand(n, args);
        return status == kUsageError ? Usage() : status;
    }
    return Usage();
}
