// Packed DIBs from files, resources and nothing: run against both Windows
// and the layer (files and global memory are the system's).
#include <algorithm>
#include <cstring>
#include <random>

#include "image/dib.h"
#include "resources/resource.h"
#include "support/fixtures.h"
#include "support/rle.h"
#include "support/show_fixture.h"

namespace {

class Dib : public SystemFileTest {
protected:
    std::string Write(const char *name, const Bytes &bytes) { return WriteSystemFile(name, bytes); }
    static SIZE_T BlockSize(PackedDib dib) { return GlobalSize(GlobalHandle(dib)); }
    static Bytes BlockBytes(PackedDib dib) {
        const uint8_t *p = reinterpret_cast<const uint8_t *>(dib);
        return Bytes(p, p + BlockSize(dib));
    }
};

// An 8-bit picture whose colour index is x + 3y, with a table of distinct colours.
Bytes Indexed8(int width, int height, int colors) {
    std::vector<uint32_t> table;
    for (int i = 0; i < 256; i++) table.push_back(static_cast<uint32_t>(i * 0x010203 + 0x102030) & 0xFFFFFF);
    return MakePackedDib(width, height, 8, [](int x, int y) { return static_cast<uint32_t>(x + 3 * y); }, colors, table);
}

// The same picture with a 12-byte core header and three-byte colour entries.
Bytes ToCoreHeader(const Bytes &dib, int colors) {
    Bytes core;
    Put32(core, 12);
    Put16(core, static_cast<uint16_t>(dib[4] | dib[5] << 8));
    Put16(core, static_cast<uint16_t>(dib[8] | dib[9] << 8));
    Put16(core, 1);
    Put16(core, static_cast<uint16_t>(dib[14] | dib[15] << 8));
    for (int i = 0; i < colors; i++) core.insert(core.end(), dib.begin() + 40 + 4 * i, dib.begin() + 40 + 4 * i + 3);
    core.insert(core.end(), dib.begin() + 40 + 4 * colors, dib.end());
    return core;
}

TEST_F(Dib, CoreHeaderFilesLoadAsTheirInfoHeaderTwins) {
    Bytes info = Indexed8(5, 3, 0);  // colour count 0: the whole table of 256
    Bytes core = ToCoreHeader(info, 256);
    Bytes coreFile = MakeBmpFile(core);
    // The file header's pixel offset for a core file.
    uint32_t offset = 14 + 12 + 3 * 256;
    std::memcpy(coreFile.data() + 10, &offset, 4);
    PackedDib a = DibLoadFile(Write("QMSINFO.BMP", MakeBmpFile(info)).c_str());
    PackedDib b = DibLoadFile(Write("QMSCORE.BMP", coreFile).c_str());
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->biSize, 40u);
    EXPECT_EQ(b->biClrUsed, 256u);
    EXPECT_EQ(b->biSizeImage, 24u);
    EXPECT_EQ(BlockSize(a), 40u + 1024 + 24) << "header, table, pixels and nothing more";
    EXPECT_EQ(BlockBytes(a), BlockBytes(b)) << "a core header widens to the same block, reserved bytes 0";
    DibFree(a);
    DibFree(b);
}

TEST_F(Dib, MissingSizesAreComputedAndTablesReadAsStated) {
    Bytes rgb = MakePackedDib(3, 2, 24, [](int x, int y) { return static_cast<uint32_t>(0x102030 * (x + 1) + y); });
    std::memset(rgb.data() + 20, 0, 4);  // biSizeImage 0
    PackedDib a = DibLoadFile(Write("QMS24.BMP", MakeBmpFile(rgb)).c_str());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->biSizeImage, 24u) << "stride 12, two rows";
    EXPECT_EQ(a->biClrUsed, 0u);
    EXPECT_EQ(BlockSize(a), 64u);
    EXPECT_EQ(Bytes(reinterpret_cast<uint8_t *>(a) + 40, reinterpret_cast<uint8_t *>(a) + 64),
              Bytes(rgb.begin() + 40, rgb.end()));
    DibFree(a);

    PackedDib b = DibLoadFile(Write("QMS17.BMP", MakeBmpFile(Indexed8(4, 4, 17))).c_str());
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->biClrUsed, 17u);
    EXPECT_EQ(DibColorCount(b), 17u);
    EXPECT_EQ(BlockSize(b), 40u + 17 * 4 + 16);
    const uint8_t *pixels = reinterpret_cast<uint8_t *>(b) + 40 + 17 * 4;
    EXPECT_EQ(pixels[0], 9) << "bottom row first: x 0, y 3";
    DibFree(b);
}

TEST_F(Dib, GapBeforeThePixelsIsSkippedNotStored) {
    Bytes dib = MakePackedDib(2, 2, 24, [](int x, int y) { return x == 0 && y == 1 ? 0xABCDEFu : 0x010101u; });
    Bytes file = MakeBmpFile(dib);
    file.insert(file.begin() + 54, 10, 0xEE);  // ten bytes between header and pixels
    uint32_t offset = 64;
    std::memcpy(file.data() + 10, &offset, 4);
    PackedDib a = DibLoadFile(Write("QMSGAP.BMP", file).c_str());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(BlockSize(a), 40u + 16);
    const uint8_t *pixels = reinterpret_cast<uint8_t *>(a) + 40;
    EXPECT_EQ(pixels[0], 0xEF);
    EXPECT_EQ(pixels[2], 0xAB);
    DibFree(a);
}

TEST_F(Dib, PackedBitmapWithoutFileHeaderIsReadFromWhereTheFileStands) {
    Bytes dib = Indexed8(2, 2, 0);
    Bytes file(10, 0x55);
    file.insert(file.end(), dib.begin(), dib.end());
    std::string path = Write("QMSPACK.BIN", file);
    HFILE f = OpenForReading(path.c_str());
    ASSERT_NE(f, HFILE_ERROR);
    _llseek(f, 10, FILE_BEGIN);
    PackedDib a = DibReadHeader(f);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->biWidth, 2);
    EXPECT_EQ(BlockSize(a), 40u + 1024) << "header and table only";
    EXPECT_EQ(_llseek(f, 0, FILE_CURRENT), 10 + 40 + 1024) << "left at the first pixel byte";
    _lclose(f);
    DibFree(a);
    EXPECT_EQ(DibReadHeader(HFILE_ERROR), nullptr);
}

TEST_F(Dib, CreatedBitmapsAreZeroedWithTheStandardColours) {
    PackedDib a = DibCreate(24, 1, 1);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(BlockSize(a), 1068u);
    EXPECT_EQ(a->biSizeImage, 4u);
    EXPECT_EQ(a->biClrUsed, 0u);
    EXPECT_EQ(a->biPlanes, 1);
    const uint8_t *p = reinterpret_cast<uint8_t *>(a) + 40;
    EXPECT_EQ(std::count(p, p + 1028, 0), 1028);
    DibFree(a);

    PackedDib b = DibCreate(8, 10, 10);
    ASSERT_NE(b, nullptr);
    auto *table = reinterpret_cast<RGBQUAD *>(b + 1);
    EXPECT_EQ(b->biClrUsed, 256u);
    EXPECT_EQ(std::memcmp(&table[16], &table[0], 4), 0);
    EXPECT_EQ(table[255].rgbRed, 255);
    EXPECT_EQ(table[255].rgbGreen, 255);
    EXPECT_EQ(table[255].rgbBlue, 255);
    EXPECT_EQ(table[9].rgbRed, 255);
    EXPECT_EQ(table[9].rgbBlue, 0);
    EXPECT_EQ(table[7].rgbGreen, 192);
    EXPECT_EQ(BlockSize(b), 12u * 10 + 1064);
    DibFree(b);

    PackedDib c = DibCreate(4, 3, 3);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->biClrUsed, 16u);
    DibFree(c);
    EXPECT_EQ(DibCreate(24, 0, 5), nullptr);
    EXPECT_EQ(DibCreate(7, 5, 5), nullptr);
    EXPECT_EQ(DibCreate(32, 60000, 60000), nullptr) << "more than a block can hold";
}

TEST_F(Dib, MissingAndShortFilesGiveNothing) {
    EXPECT_EQ(DibLoadFile((SystemDirectory() + "\\QMSNONE.BMP").c_str()), nullptr);
    Bytes file = MakeBmpFile(Indexed8(2, 2, 0));
    EXPECT_EQ(DibLoadFile(Write("QMSS1.BMP", Bytes(file.begin(), file.begin() + 13)).c_str()), nullptr);
    EXPECT_EQ(DibLoadFile(Write("QMSS2.BMP", Bytes(file.begin(), file.begin() + 14 + 39)).c_str()), nullptr);
    // Pixels cut short: a bitmap all the same, the missing bytes 0.
    Bytes cut(file.begin(), file.end() - 3);
    PackedDib a = DibLoadFile(Write("QMSS3.BMP", cut).c_str());
    ASSERT_NE(a, nullptr);
    const uint8_t *pixels = reinterpret_cast<uint8_t *>(a) + 40 + 1024;
    EXPECT_EQ(pixels[0], 3) << "the bottom row comes first";
    EXPECT_EQ(pixels[1], 4);
    EXPECT_EQ(pixels[5], 0) << "a byte the file lacks";
    DibFree(a);
}

// A file whose header states more than the file holds is damaged: it is
// refused before the stated size is ever asked of the heap.
TEST_F(Dib, SizesBeyondTheFileAreRefusedWithoutAllocatingThem) {
    auto setHeader32 = [](Bytes &file, size_t offset, uint32_t v) { std::memcpy(file.data() + offset, &v, 4); };
    Bytes small = MakeBmpFile(MakePackedDib(1, 1, 24, [](int, int) { return 0x102030u; }));
    small.resize(60);
    Bytes huge = small;
    setHeader32(huge, 14 + 20, 0xFFFFFFF0u);  // biSizeImage: 4 GB
    EXPECT_EQ(DibLoadFile(Write("QMSHUGE.BMP", huge).c_str()), nullptr);
    Bytes rle = MakeBmpFile(MakeRleDib(8, 2, 8, RleWriter(8).Run(8, 1).EndOfLine().Run(8, 2).EndOfBitmap().data(), {0, 0xFF}));
    setHeader32(rle, 14 + 20, 100000);  // run-length data the file lacks
    EXPECT_EQ(DibLoadFile(Write("QMSRLE.BMP", rle).c_str()), nullptr);
    Bytes tall = small;
    setHeader32(tall, 14 + 8, 0x01010400u);  // sixteen million rows, two of them in the file
    EXPECT_EQ(DibLoadFile(Write("QMSTALL.BMP", tall).c_str()), nullptr);
    Bytes distant = small;
    setHeader32(distant, 10, 0xFFFFFFF0u);  // pixels beyond any file position
    EXPECT_EQ(DibLoadFile(Write("QMSFAR.BMP", distant).c_str()), nullptr);
    if (Layer::Available()) EXPECT_LT(Layer::LargestAllocationRequest(), SIZE_T{4096});

    // A picture whose file holds half its rows still loads.
    Bytes half = MakeBmpFile(MakePackedDib(4, 8, 24, [](int, int) { return 0x102030u; }));
    half.resize(half.size() - 4 * 12);
    PackedDib fine = DibLoadFile(Write("QMSHALF.BMP", half).c_str());
    ASSERT_NE(fine, nullptr);
    EXPECT_EQ(fine->biSizeImage, 96u);
    DibFree(fine);
    half.pop_back();
    EXPECT_EQ(DibLoadFile(Write("QMSHALF.BMP", half).c_str()), nullptr) << "less than half of its rows";
}

TEST_F(Dib, MaskedRowsAreReadWholeWhateverTheHeaderStates) {
    Bytes masked;
    PutInfoHeader(masked, 3, 2, 16, BI_BITFIELDS, 2, 0);  // two bytes stated, twelve in the rows
    for (uint32_t m : {0xF800u, 0x07E0u, 0x001Fu}) Put32(masked, m);
    for (int i = 0; i < 6; i++) Put16(masked, static_cast<uint16_t>(0x1111 * i));
    masked.resize(masked.size() + 4);  // the rows' padding
    PackedDib dib = DibLoadFile(Write("QMSMASK.BMP", MakeBmpFile(masked)).c_str());
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(dib->biSizeImage, 16u);
    EXPECT_NE(DibPixelsInBlock(dib, BlockSize(dib)), nullptr) << "a loaded bitmap is one the player can draw";
    DibFree(dib);
}

TEST_F(Dib, StoredRunLengthBlocksNeedTheirLength) {
    Bytes rle = MakeRleDib(8, 2, 8, RleWriter(8).Run(8, 1).EndOfLine().Run(8, 2).EndOfBitmap().data(), {0, 0xFF});
    auto *header = reinterpret_cast<BITMAPINFOHEADER *>(rle.data());
    EXPECT_NE(DibPixelsInBlock(header, rle.size()), nullptr);
    header->biSizeImage = 0;
    EXPECT_EQ(DibPixelsInBlock(header, rle.size()), nullptr) << "nothing says where the runs end";
}

TEST_F(Dib, MalformedHeadersGiveNothing) {
    struct Case {
        const char *what;
        size_t offset;
        uint32_t value;
        int bytes;
    } cases[] = {
        {"zero width", 4, 0, 4},
        {"zero height", 8, 0, 4},
        {"top-down rows", 8, static_cast<uint32_t>(-2), 4},
        {"odd bit count", 14, 7, 2},
        {"colour masks for 8 bits", 16, BI_BITFIELDS, 4},
        {"unknown compression", 16, 9, 4},
        {"more colours than 8 bits allow", 32, 300, 4},
        {"a header of unknown size", 0, 16, 4},
        {"a size beyond any block", 4, 0x7FFFFFF0, 4},
    };
    for (const Case &c : cases) {
        Bytes dib = Indexed8(2, 2, 0);
        std::memcpy(dib.data() + c.offset, &c.value, c.bytes);
        EXPECT_EQ(DibLoadFile(Write("QMSBAD.BMP", MakeBmpFile(dib)).c_str()), nullptr) << c.what;
    }
    Bytes four = MakePackedDib(2, 2, 4, [](int, int) { return 1u; }, 17);
    EXPECT_EQ(DibLoadFile(Write("QMSBAD4.BMP", MakeBmpFile(four)).c_str()), nullptr) << "17 colours for 4 bits";
}

TEST_F(Dib, LongerHeadersKeepThePlainHeaderAndFindTheirTable) {
    Bytes dib = Indexed8(3, 1, 4);
    Bytes v5;
    Put32(v5, 124);
    v5.insert(v5.end(), dib.begin() + 4, dib.begin() + 40);
    v5.resize(124, 0);
    v5.insert(v5.end(), dib.begin() + 40, dib.end());
    PackedDib a = DibLoadFile(Write("QMSV5.BMP", MakeBmpFile(v5)).c_str());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->biSize, 40u);
    EXPECT_EQ(BlockSize(a), 40u + 16 + 4);
    EXPECT_EQ(Bytes(reinterpret_cast<uint8_t *>(a) + 40, reinterpret_cast<uint8_t *>(a) + 60),
              Bytes(dib.begin() + 40, dib.end()));
    DibFree(a);
}

TEST_F(Dib, ColourMasksAreCarriedBehindThePlainHeader) {
    // 16 bits, 5-6-5, masks behind a plain header.
    Bytes short565;
    PutInfoHeader(short565, 2, 1, 16, BI_BITFIELDS, 4, 0);
    for (uint32_t m : {0xF800u, 0x07E0u, 0x001Fu}) Put32(short565, m);
    Put16(short565, 0xF800);
    Put16(short565, 0x001F);
    PackedDib a = DibLoadFile(Write("QMS565.BMP", MakeBmpFile(short565)).c_str());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(BlockSize(a), 40u + 12 + 4);
    EXPECT_EQ(Bytes(reinterpret_cast<uint8_t *>(a) + 40, reinterpret_cast<uint8_t *>(a) + 56),
              Bytes(short565.begin() + 40, short565.end()));
    EXPECT_EQ(DibPixelsInBlock(a, BlockSize(a)), reinterpret_cast<uint8_t *>(a) + 52);
    DibFree(a);

    // 32 bits with the masks inside a 124-byte header.
    Bytes v5;
    PutInfoHeader(v5, 1, 1, 32, BI_BITFIELDS, 4, 0);
    v5[0] = 124;
    for (uint32_t m : {0x000000FFu, 0x0000FF00u, 0x00FF0000u, 0xFF000000u}) Put32(v5, m);
    v5.resize(124, 0);
    Put32(v5, 0x00112233);
    Bytes file = MakeBmpFile(v5);
    uint32_t offset = 14 + 124;  // no table behind the longer header
    std::memcpy(file.data() + 10, &offset, 4);
    PackedDib b = DibLoadFile(Write("QMSV5M.BMP", file).c_str());
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->biSize, 40u);
    EXPECT_EQ(BlockSize(b), 40u + 12 + 4);
    const uint8_t *masks = reinterpret_cast<uint8_t *>(b) + 40;
    EXPECT_EQ(masks[0], 0xFF) << "red mask from the longer header";
    EXPECT_EQ(masks[5], 0xFF);
    EXPECT_EQ(masks[10], 0xFF);
    EXPECT_EQ(masks[12], 0x33) << "then the pixel";
    DibFree(b);
}

TEST_F(Dib, ResourcesAreCompletedWithoutWritingIntoThem) {
    PackedDib placeholder = DibLoadResource(host.instance, MAKEINTRESOURCEW(IDB_NOPREVIEW));
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder->biWidth, 100);
    EXPECT_EQ(placeholder->biHeight, 75);
    EXPECT_EQ(placeholder->biBitCount, 8);
    EXPECT_EQ(placeholder->biClrUsed, 256u);
    EXPECT_EQ(placeholder->biSizeImage, 7500u);
    HRSRC info = FindResourceW(host.instance, MAKEINTRESOURCEW(IDB_NOPREVIEW), RT_BITMAP);
    ASSERT_NE(info, nullptr);
    const auto *stored = static_cast<const BITMAPINFOHEADER *>(LockResource(LoadResource(host.instance, info)));
    EXPECT_EQ(stored->biClrUsed, 0u) << "the module's own data is left as stored";
    DibFree(placeholder);
    DibFree(placeholder);
    EXPECT_EQ(DibLoadResource(host.instance, MAKEINTRESOURCEW(IDB_NOPREVIEW)), placeholder)
        << "freeing a resource bitmap does nothing";

    PackedDib black = DibLoadResource(host.instance, L"BLACKBMP");
    ASSERT_NE(black, nullptr);
    EXPECT_EQ(black->biWidth, 48);
    EXPECT_EQ(black->biBitCount, 4);
    EXPECT_EQ(black->biClrUsed, 16u);
    EXPECT_EQ(DibLoadResource(host.instance, MAKEINTRESOURCEW(4321)), nullptr);
    EXPECT_EQ(DibLoadResource(host.instance, L"NOSUCHBMP"), nullptr);
}

TEST_F(Dib, BlocksAreReleasedByDibFree) {
    SKIP_WITHOUT_LAYER("counts the layer's live memory blocks");
    int before = Layer::LiveGlobalBlocks();
    PackedDib a = DibLoadFile(Write("QMSFREE.BMP", MakeBmpFile(Indexed8(8, 8, 0))).c_str());
    PackedDib b = DibCreate(24, 8, 8);
    EXPECT_EQ(Layer::LiveGlobalBlocks(), before + 2);
    DibFree(a);
    DibFree(b);
    DibFree(nullptr);
    EXPECT_EQ(Layer::LiveGlobalBlocks(), before);
    Layer::FailAllocationAfter(0);
    EXPECT_EQ(DibCreate(8, 4, 4), nullptr);
    Layer::FailAllocationAfter(1);  // the header block, then the resize fails
    EXPECT_EQ(DibLoadFile(Write("QMSFAIL.BMP", MakeBmpFile(Indexed8(8, 8, 0))).c_str()), nullptr);
    EXPECT_EQ(Layer::LiveGlobalBlocks(), before) << "a failed load leaves nothing behind";
}

}  // namespace

namespace {

// Damaged copies of good files: whatever a loader makes of them, it returns
// null or a block whose sizes agree with its header, and reads nothing it
// should not (the sanitizers watch the layer's run).
class DamagedDib : public Dib {};

TEST_F(DamagedDib, RandomDamageGivesNullOrAConsistentBlock) {
    std::mt19937 random(20261208);
    const Bytes originals[] = {MakeBmpFile(Indexed8(7, 5, 0)), MakeBmpFile(Indexed8(3, 3, 17)),
                               MakeBmpFile(MakePackedDib(5, 4, 24, [](int x, int y) { return uint32_t(x * y); })),
                               MakeBmpFile(MakePackedDib(9, 2, 4, [](int x, int) { return uint32_t(x); }))};
    int loaded = 0;
    for (int round = 0; round < 300; round++) {
        Bytes file = originals[round % 4];
        int changes = 1 + static_cast<int>(random() % 4);
        for (int c = 0; c < changes; c++) {
            // Mostly the headers, where the sizes are.
            size_t at = random() % 3 ? random() % std::min<size_t>(file.size(), 60) : random() % file.size();
            file[at] = static_cast<uint8_t>(random());
        }
        if (random() % 5 == 0) file.resize(random() % file.size());
        PackedDib dib = DibLoadFile(Write("QMSFUZZ.BMP", file).c_str());
        if (!dib) continue;
        loaded++;
        SCOPED_TRACE(round);
        EXPECT_EQ(dib->biSize, 40u);
        EXPECT_GT(dib->biWidth, 0);
        EXPECT_GT(dib->biHeight, 0);
        EXPECT_EQ(BlockSize(dib), 40u + DibTableBytes(dib) + dib->biSizeImage);
        EXPECT_NE(DibPixelsInBlock(dib, BlockSize(dib)), nullptr) << "a loaded bitmap must be drawable from its block";
        DibFree(dib);
    }
    EXPECT_GT(loaded, 30) << "the damage should leave many files loadable";
}

}  // namespace
