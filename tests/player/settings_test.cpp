// The five settings in control.ini and the strings that name them.
#include <cstring>

#include "player/settings.h"
#include "saverfile/places.h"
#include "support/fixtures.h"
#include "platform/testing/layer.h"
#include "support/saver_fixture.h"

namespace {

const char kSection[] = "ScreenSaver.QM Custom Saver 2.1";

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
    // Handed out in code page 932, as the literal here is compiled.
    EXPECT_STREQ(settingStrings.noMemory, "メモリが不足しています。");
    EXPECT_EQ(std::strlen(settingStrings.noMemory), 24u);
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
    WritePrivateProfileStringA(kSection, "Interval", "20", "control.ini");
    WritePrivateProfileStringA(kSection, "ItemName", "OLD.QMS", "control.ini");
    ReadSettings();
    EXPECT_EQ(settings.interval, 20);
    EXPECT_STREQ(settings.itemName, "OLD.QMS");
    EXPECT_TRUE(WriteItemName("NEW.QMS"));
    ReadSettings();
    EXPECT_STREQ(settings.itemName, "NEW.QMS");
    EXPECT_EQ(settings.interval, 10) << "once the key exists, it alone holds the settings";
    char text[16] = "";
    GetPrivateProfileStringA(kSection, "ItemName", "", text, sizeof text, "control.ini");
    EXPECT_STREQ(text, "OLD.QMS") << "control.ini is not written on NT";
    ForgetStoredSettings();
}

TEST_F(SettingsTest, OnThe95FamilyControlIniHoldsThem) {
    if (!Layer::Available()) GTEST_SKIP() << "needs the layer to stand in for the 95 family";
    Layer::SetWindows95Family(true);
    EXPECT_TRUE(WriteSetting(kSection, "Interval", 25));
    EXPECT_TRUE(WriteItemName("HOLIDAY.QMS"));
    char text[16] = "";
    GetPrivateProfileStringA(kSection, "Interval", "", text, sizeof text, "control.ini");
    EXPECT_STREQ(text, "25");
    GetPrivateProfileStringA(kSection, "ItemName", "", text, sizeof text, "control.ini");
    EXPECT_STREQ(text, "HOLIDAY.QMS");
    HKEY key;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    Layer::SetWindows95Family(false);
}

TEST_F(SettingsTest, NumbersAreCutToTheirFieldWidth) {
    WritePrivateProfileStringA(kSection, "Volume", "65543", "control.ini");
    WritePrivateProfileStringA(kSection, "Interval", "12 seconds", "control.ini");
    ReadSettings();
    EXPECT_EQ(settings.volume, 7);
    EXPECT_EQ(settings.interval, 12);
}

TEST_F(SettingsTest, LongShowNamesAreKeptWhole) {
    const char name[] = "SUMMER HOLIDAY IN THE MOUNTAINS.QMS";
    WritePrivateProfileStringA(kSection, "ItemName", name, "control.ini");
    ReadSettings();
    EXPECT_STREQ(settings.itemName, name);
}

}  // namespace

namespace {

TEST_F(SettingsTest, ShortBuffersGetWholeCharactersOnly) {
    char buffer[6];
    std::memset(buffer, 'x', sizeof buffer);
    int n = LoadStringA(host.instance, 1008, buffer, sizeof buffer);
    // Five bytes fit, but the third character would be cut in half.
    EXPECT_EQ(n, 4);
    EXPECT_STREQ(buffer, "メモ");
    char section[8];
    EXPECT_EQ(LoadStringA(host.instance, 1007, section, sizeof section), 7);
    EXPECT_STREQ(section, "ScreenS");
}

}  // namespace
