#include "support/disc_fixture.h"

#include "player/player.h"

void DiscTest::MapFolderDrive(char letter, UINT type) {
    std::string folder = Layer::HostPath("C:\\") + "/drive-" + letter;
    MakeFolder((std::string("C:\\drive-") + letter).c_str());
    Layer::MapDrive(letter, folder, type);
}

void DiscTest::SetUp() {
    SystemFileTest::SetUp();
    if (Layer::Available()) {
        MapFolderDrive('E', DRIVE_CDROM);
        MapFolderDrive('F', DRIVE_CDROM);
    } else if (GetDriveTypeW(L"E:\\") != DRIVE_CDROM || GetDriveTypeW(L"F:\\") != DRIVE_CDROM) {
        GTEST_SKIP() << "needs CD-ROM drives E: and F: holding writable folders";
    }
}

void DiscTest::TearDown() {
    discE.Remove();
    discF.Remove();
    SystemFileTest::TearDown();
}
