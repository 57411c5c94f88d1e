// Finding the title disc in the CD-ROM drives and reading its catalogue.
#include <cstring>

#include "disc/catalogue.h"
#include "support/disc_fixture.h"

namespace {

using Scan = DiscTest;

// The catalogue's own bytes, code page 932.
Catalogue ParsedBytes(const std::string &bytes) {
    Catalogue c;
    std::strcpy(c.discRoot, "E:\\");
    ParseCatalogue(bytes.c_str(), c);
    return c;
}

// A catalogue written from its UTF-8 text, as it is on a disc.
Catalogue Parsed(const std::string &text) { return ParsedBytes(CodePage932(text)); }

HCURSOR SystemCursor(LPCWSTR id) { return LoadCursorW(nullptr, id); }

std::vector<std::string> Contents(const Catalogue &c) {
    return std::vector<std::string>(c.contentNames, c.contentNames + c.contentCount);
}

std::vector<std::string> Tracks(const Catalogue &c) { return std::vector<std::string>(c.trackNames, c.trackNames + c.trackCount); }

TEST_F(Scan, FirstCdromDriveWithADiscWinsAndOtherDrivesAreIgnored) {
    // A catalogue on the fixed drive C: is not a disc.
    TitleDiscBuilder fixed("C:\\");
    fixed.Catalogue(CatalogueText("FIXED", {"x"}, {"y"}));
    discE.Catalogue(CatalogueText("湖の四季", {"春の湖", "夏の湖", "秋"}, {"朝", "夕"}));
    discF.Catalogue(CatalogueText("SECOND", {"one"}, {"two"}));
    EXPECT_TRUE(ScanForTitleDisc());
    fixed.Remove();
    EXPECT_TRUE(catalogue.discFound);
    EXPECT_STREQ(catalogue.title, "湖の四季");
    EXPECT_STREQ(catalogue.discRoot, "E:\\");
    EXPECT_STREQ(catalogue.catalogueFile, "E:\\QM.SD");
    EXPECT_STREQ(catalogue.soundDir, "E:\\DAT\\SOUND\\S\\");
    EXPECT_EQ(Contents(catalogue), (std::vector<std::string>{"春の湖", "夏の湖", "秋"}));
    EXPECT_EQ(Tracks(catalogue), (std::vector<std::string>{"朝", "夕"}));
    // The arrow is back once the scan is done (the wait cursor meanwhile).
    EXPECT_EQ(GetCursor(), SystemCursor(IDC_ARROW));
    if (Layer::Available())
        EXPECT_EQ(Layer::CursorHistory(),
                  (std::vector<HCURSOR>{SystemCursor(IDC_WAIT), SystemCursor(IDC_ARROW)}));
}

TEST_F(Scan, NoDiscLeavesTheCatalogueEmpty) {
    std::strcpy(catalogue.title, "left from before");
    catalogue.contentCount = 3;
    EXPECT_FALSE(ScanForTitleDisc());
    EXPECT_FALSE(catalogue.discFound);
    EXPECT_STREQ(catalogue.title, "");
    EXPECT_EQ(catalogue.contentCount, 0);
    EXPECT_EQ(catalogue.trackCount, 0);
    EXPECT_EQ(GetCursor(), SystemCursor(IDC_ARROW));
}

TEST_F(Scan, TheDiscWithoutACatalogueHasItsOwnBuiltIn) {
    discF.File("TARNIK.EXE", Bytes{'M', 'Z'});
    ASSERT_TRUE(ScanForTitleDisc());
    EXPECT_STREQ(catalogue.title, "HOLM・TARNIK");
    EXPECT_STREQ(catalogue.discRoot, "F:\\");
    EXPECT_STREQ(catalogue.soundDir, "F:\\DAT\\SOUND\\S\\");
    EXPECT_EQ(Contents(catalogue), (std::vector<std::string>{"春", "夏", "秋", "冬"}));
    EXPECT_EQ(Tracks(catalogue),
              (std::vector<std::string>{"Meltwater Suite", "Low evening hum", "Ridges", "Frost chimes", "Far Fields"}));
}

TEST_F(Scan, LongCatalogueIsReadToItsFirst1023Bytes) {
    std::vector<std::string> contents;
    for (int i = 0; i < 32; i++) contents.push_back("CONTENT NAME NUMBER " + std::to_string(i + 1) + " OF THIRTY-TWO");
    std::string text = CatalogueText("LONG", contents, {"T"});
    ASSERT_GT(text.size(), 1100u);
    discE.Catalogue(text);
    ASSERT_TRUE(ScanForTitleDisc());
    EXPECT_EQ(catalogue.contentCount, 32);
    // Only the names within the first 1023 bytes are there; the rest are empty.
    size_t end = 0;
    int complete = 0;
    for (int i = 0; i < 32; i++) {
        end = text.find(contents[i] + "\r\n") + contents[i].size();
        if (end <= 1023) complete++;
    }
    for (int i = 0; i < complete; i++) EXPECT_EQ(catalogue.contentNames[i], contents[i]);
    EXPECT_EQ(std::string(contents[complete]).rfind(catalogue.contentNames[complete], 0), 0u) << "the cut name";
    EXPECT_STREQ(catalogue.contentNames[complete + 1], "");
    EXPECT_EQ(catalogue.trackCount, 0);
}

TEST_F(Scan, DiscFolderReadByItsRoot) {
    discE.Catalogue(CatalogueText("COPY", {"a"}, {"b"}, "SND\\"));
    std::string folder = "E:\\COPIES\\DISC1";
    MakeFolder("E:\\COPIES");
    MakeFolder(folder.c_str());
    TitleDiscBuilder copy(folder + "\\");
    copy.Catalogue(CatalogueText("IN A FOLDER", {"c"}, {"d"}, "SND\\"));
    EXPECT_TRUE(ReadTitleDisc(folder.c_str())) << "a root without its backslash";
    EXPECT_STREQ(catalogue.title, "IN A FOLDER");
    EXPECT_EQ(catalogue.discRoot, folder + "\\");
    EXPECT_EQ(catalogue.soundDir, folder + "\\SND\\");
    copy.Remove();
    RemoveFolder(folder.c_str());
    RemoveFolder("E:\\COPIES");
    EXPECT_FALSE(ReadTitleDisc("E:\\NOWHERE\\"));
    EXPECT_FALSE(catalogue.discFound);
}

// ---- the catalogue's lines ------------------------------------------------------

TEST(CatalogueText, BlankLinesCountForNothing) {
    Catalogue plain = Parsed("T\r\nDAT\\\r\nS\\\r\n2\r\nA\r\nB\r\n1\r\nM\r\n");
    Catalogue blank = Parsed("\r\n\r\nT\r\n\r\nDAT\\\r\n\n\nS\\\r\n2\r\n\r\nA\r\nB\r\r\n1\r\nM\r\n\r\n");
    EXPECT_STREQ(blank.title, plain.title);
    EXPECT_STREQ(blank.soundDir, "E:\\S\\");
    EXPECT_EQ(Contents(blank), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(Tracks(blank), (std::vector<std::string>{"M"}));
}

TEST(CatalogueText, TheTwoSpecialTitles) {
    Catalogue orva = Parsed(CatalogueText("「ORVA」", {}, {"a", "b"}));
    EXPECT_EQ(Contents(orva), (std::vector<std::string>{"SLIDESHOW"})) << "count 0: one show of everything";
    EXPECT_EQ(Tracks(orva), (std::vector<std::string>{"a", "b"}));
    Catalogue orvaWithContents = Parsed(CatalogueText("「ORVA」", {"x", "y"}, {}));
    EXPECT_EQ(Contents(orvaWithContents), (std::vector<std::string>{"x", "y"}));
    Catalogue otherTitle = Parsed(CatalogueText("ORVA", {}, {}));
    EXPECT_EQ(otherTitle.contentCount, 0);

    // Four tracks whatever its line says; names it lacks stay empty.
    Catalogue kestin = Parsed(CatalogueText("「KESTIN」", {"c"}, {"1", "2"}));
    EXPECT_EQ(Tracks(kestin), (std::vector<std::string>{"1", "2", "", ""}));
}

TEST(CatalogueText, CountsAreKeptBetween0And32) {
    std::vector<std::string> many;
    for (int i = 1; i <= 40; i++) many.push_back("C" + std::to_string(i));
    Catalogue big = Parsed(CatalogueText("T", many, many));
    EXPECT_EQ(big.contentCount, 32);
    EXPECT_STREQ(big.contentNames[31], "C32");
    // The eight names beyond the 32nd are passed over: the track count follows them.
    EXPECT_EQ(big.trackCount, 32);
    EXPECT_STREQ(big.trackNames[0], "C1");

    for (const char *count : {"-3", "x12", "", "  -0"}) {
        Catalogue c = Parsed(std::string("T\r\nD\r\nS\r\n") + count + "\r\nNAME\r\n" + count + "\r\n");
        EXPECT_EQ(c.contentCount, 0) << "'" << count << "'";
        EXPECT_EQ(c.trackCount, 0) << "'" << count << "'";
    }
    Catalogue blanks = Parsed("T\r\nD\r\nS\r\n   3\r\nA\r\n");
    EXPECT_EQ(blanks.contentCount, 3) << "leading blanks are skipped";
    EXPECT_EQ(Contents(blanks), (std::vector<std::string>{"A", "", ""})) << "missing lines leave names empty";
}

TEST(CatalogueText, LongNamesAreCutAtAWholeCharacter) {
    // 63 single bytes, then a double-byte character that would end at byte 65.
    std::string name = std::string(63, 'a') + "湖" + "tail";
    std::string title = std::string(64, 'b') + "c";
    std::string sound(300, 'S');
    Catalogue c = Parsed(title + "\r\nDAT\r\n" + sound + "\r\n1\r\n" + name + "\r\n1\r\n" + name.substr(1) + "\r\n");
    EXPECT_EQ(std::string(c.contentNames[0]), std::string(63, 'a')) << "the lead byte is not kept alone";
    EXPECT_EQ(std::string(c.trackNames[0]), std::string(62, 'a') + "湖");
    EXPECT_EQ(std::string(c.title), std::string(64, 'b'));
    EXPECT_EQ(std::string(c.soundDir), "E:\\" + std::string(MAX_PATH - 1, 'S'))
        << "the folder's line cut to a path's length, behind the root";

    // A lone lead byte at the very end of a line is not a character either.
    std::string lone = "T\r\nD\r\nS\r\n1\r\nab\x88\r\n0\r\n";
    EXPECT_STREQ(ParsedBytes(lone).contentNames[0], "ab");
}

}  // namespace
