// Tests with title discs in CD-ROM drives E: and F:. On the layer the two
// drives are folders of the test's scratch drive; against Windows the
// machine must have them (tools/test gives its Wine prefix two), else the
// test skips.
#pragma once

#include "disc/catalogue.h"
#include "support/show_fixture.h"
#include "support/title_disc.h"

class DiscTest : public SystemFileTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Maps drive letter to a fresh folder as a drive of the given type (layer only).
    static void MapFolderDrive(char letter, UINT type);
    TitleDiscBuilder discE{"E:\\"}, discF{"F:\\"};
};
