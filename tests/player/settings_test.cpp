// The five settings in control.ini and the strings that name them.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "player/settings.h"
#include "saverfile/places.h"
#include "support/fixtures.h"
#include "platform/testing/layer.h"
#include "support/saver_fixture.h"
#include "text/language.h"

namespace {

const char kSection[] = "ScreenSaver.QM Custom Saver 2.1";
const WCHAR kWideSection[] = L"ScreenSaver.QM Custom Saver 2.1";

class SettingsTest : public SaverTest {
protected:
    void SetUp() override {
        SaverTest::SetUp();
        LoadSettingStrings(host.instance);
        ForgetStoredSettings();
    }
    void TearDown() override {
        ForgetStoredSettings();
        SaverTest::TearDown();
    }
};

TEST_F(SettingsTest, StringsComeFromTheResources) {
    EXPECT_STREQ(settingStrings.section, kSection);
    EXPECT_STREQ(settingStrings.profile, "control.ini");
    EXPECT_STREQ(settingStrings.appName, "QM Custom Saver 2.1");
    EXPECT_STREQ(settingStrings.keyVolume, "Volume");
    EXPECT_STREQ(settingStrings.keyInterval, "Interval");
    EXPECT_STREQ(settingStrings.keyUseLSize, "UseLSize");
    EXPECT_STREQ(settingStrings.keyUse8bit, "Use8bit");
    EXPECT_STREQ(settingStrings.keyItemName, "ItemName");
    EXPECT_STREQ(settingStrings.helpFile, "control.hlp");
    // Held as UTF-8, as every text inside: twelve characters of three bytes.
    EXPECT_STREQ(settingStrings.noMemory, "メモリが不足しています。");
    EXPECT_EQ(std::strlen(settingStrings.noMemory), 36u);
}

TEST_F(SettingsTest, NoSectionGivesTheDefaults) {
    std::strcpy(settings.itemName, "OLD.QMS");
    ReadSettings();
    EXPECT_EQ(settings.volume, 5);
    EXPECT_EQ(settings.interval, 10);
    EXPECT_EQ(settings.useLargeSize, 0);
    EXPECT_EQ(settings.use8bit, 0);
    EXPECT_STREQ(settings.itemName, "");
}

TEST_F(SettingsTest, WrittenValuesReadBack) {
    EXPECT_TRUE(WriteSetting(kSection, "Interval", 25));
    EXPECT_TRUE(WriteSetting(kSection, "Volume", 0));
    EXPECT_TRUE(WriteSetting(kSection, "UseLSize", 1));
    EXPECT_TRUE(WriteSetting(kSection, "Use8bit", 1));
    EXPECT_TRUE(WriteItemName("HOLIDAY.QMS"));
    ReadSettings();
    EXPECT_EQ(settings.interval, 25);
    EXPECT_EQ(settings.volume, 0);
    EXPECT_EQ(settings.useLargeSize, 1);
    EXPECT_EQ(settings.use8bit, 1);
    EXPECT_STREQ(settings.itemName, "HOLIDAY.QMS");
    EXPECT_EQ(StoredSetting("Interval"), "25") << "plain decimal, or a DWORD";
    WriteSetting(kSection, "Interval", 4000000000u);
    EXPECT_EQ(StoredSetting("Interval"), "4000000000") << "written unsigned";
}

// NT keeps the settings in the user's registry key; until that exists, what
// control.ini held (an earlier installation's) is where they start.
TEST_F(SettingsTest, OnNtTheRegistryKeyTakesOverFromControlIni) {
    if (OnWindows95Family()) GTEST_SKIP() << "the 95 family keeps control.ini";
    WritePrivateProfileStringW(kWideSection, L"Interval", L"20", L"control.ini");
    WritePrivateProfileStringW(kWideSection, L"ItemName", L"OLD.QMS", L"control.ini");
    ReadSettings();
    EXPECT_EQ(settings.interval, 20);
    EXPECT_STREQ(settings.itemName, "OLD.QMS");
    EXPECT_TRUE(WriteItemName("NEW.QMS"));
    ReadSettings();
    EXPECT_STREQ(settings.itemName, "NEW.QMS");
    EXPECT_EQ(settings.interval, 10) << "once the key exists, it alone holds the settings";
    WCHAR text[16] = L"";
    GetPrivateProfileStringW(kWideSection, L"ItemName", L"", text, 16, L"control.ini");
    EXPECT_EQ(Utf8(text), "OLD.QMS") << "control.ini is not written on NT";
    ForgetStoredSettings();
}

TEST_F(SettingsTest, OnThe95FamilyControlIniHoldsThem) {
    if (!Layer::Available()) GTEST_SKIP() << "needs the layer to stand in for the 95 family";
    Layer::SetWindows95Family(true);
    EXPECT_TRUE(WriteSetting(kSection, "Interval", 25));
    EXPECT_TRUE(WriteItemName("HOLIDAY.QMS"));
    WCHAR text[16] = L"";
    GetPrivateProfileStringW(kWideSection, L"Interval", L"", text, 16, L"control.ini");
    EXPECT_EQ(Utf8(text), "25");
    GetPrivateProfileStringW(kWideSection, L"ItemName", L"", text, 16, L"control.ini");
    EXPECT_EQ(Utf8(text), "HOLIDAY.QMS");
    HKEY key;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, Wide(kSettingsKey).c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    Layer::SetWindows95Family(false);
}

TEST_F(SettingsTest, NumbersAreCutToTheirFieldWidth) {
    WritePrivateProfileStringW(kWideSection, L"Volume", L"65543", L"control.ini");
    WritePrivateProfileStringW(kWideSection, L"Interval", L"12 seconds", L"control.ini");
    ReadSettings();
    EXPECT_EQ(settings.volume, 7);
    EXPECT_EQ(settings.interval, 12);
}

TEST_F(SettingsTest, LongShowNamesAreKeptWhole) {
    const char name[] = "SUMMER HOLIDAY IN THE MOUNTAINS.QMS";
    WritePrivateProfileStringW(kWideSection, L"ItemName", Wide(name).c_str(), L"control.ini");
    ReadSettings();
    EXPECT_STREQ(settings.itemName, name);
}

}  // namespace

namespace {

TEST_F(SettingsTest, StringsComeInUtf16UnitsAndWholeThroughLoadText) {
    // LoadStringW takes the string in the user's UI language, as the program
    // would choose it with no setting.
    UseLanguage(LanguageFor("", GetUserDefaultUILanguage()));
    std::string whole = LoadText(host.instance, 1008);
    WCHAR buffer[3];
    std::fill(std::begin(buffer), std::end(buffer), L'x');
    // Two characters and the terminator fit.
    EXPECT_EQ(LoadStringW(host.instance, 1008, buffer, 3), 2);
    EXPECT_EQ(Wide(whole).substr(0, 2), std::wstring(buffer));
    UseLanguage(Language::kJapanese);
    WCHAR section[8];
    EXPECT_EQ(LoadStringW(host.instance, 1007, section, 8), 7);
    EXPECT_EQ(Utf8(section), "ScreenS");
    EXPECT_EQ(LoadText(host.instance, 1008), "メモリが不足しています。");
}

}  // namespace
