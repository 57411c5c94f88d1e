// Global memory blocks behave as Windows has them: run against both.
#include <cstring>

#include "support/saver_fixture.h"

namespace {

using GlobalMemory = SaverTest;

TEST_F(GlobalMemory, MovableBlocksLockCountAndResize) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 100);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalSize(h), 100u);
    auto *p = static_cast<uint8_t *>(GlobalLock(h));
    ASSERT_NE(p, nullptr);
    EXPECT_NE(static_cast<void *>(p), h) << "a movable block's handle is not its address";
    EXPECT_EQ(GlobalHandle(p), h);
    uint8_t zeros[100] = {};
    EXPECT_EQ(std::memcmp(p, zeros, 100), 0);
    std::memset(p, 0xAB, 100);
    EXPECT_EQ(GlobalLock(h), p);
    EXPECT_TRUE(GlobalUnlock(h)) << "still locked once";
    SetLastError(12345);
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(GetLastError(), 0u) << "the last unlock reports no error";
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));

    HGLOBAL bigger = GlobalReAlloc(h, 5000, 0);
    ASSERT_NE(bigger, nullptr);
    EXPECT_GE(GlobalSize(bigger), 5000u);
    p = static_cast<uint8_t *>(GlobalLock(bigger));
    EXPECT_EQ(p[0], 0xAB);
    EXPECT_EQ(p[99], 0xAB) << "resizing keeps the contents";
    GlobalUnlock(bigger);
    EXPECT_EQ(GlobalFree(bigger), nullptr);
}

TEST_F(GlobalMemory, FixedBlocksAreTheirOwnHandle) {
    HGLOBAL h = GlobalAlloc(GMEM_ZEROINIT, 40);
    ASSERT_NE(h, nullptr);
    void *p = GlobalLock(h);
    EXPECT_EQ(p, h);
    EXPECT_EQ(GlobalHandle(p), h);
    EXPECT_EQ(GlobalSize(h), 40u);
    EXPECT_EQ(static_cast<uint8_t *>(p)[39], 0);
    GlobalUnlock(h);
    EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST_F(GlobalMemory, TheLayerCanMakeOneAllocationFail) {
    SKIP_WITHOUT_LAYER("fault injection is the layer's");
    Layer::FailAllocationAfter(1);
    HGLOBAL first = GlobalAlloc(GMEM_MOVEABLE, 10);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, 10), nullptr);
    HGLOBAL third = GlobalAlloc(GMEM_MOVEABLE, 10);
    EXPECT_NE(third, nullptr) << "only the one allocation fails";
    GlobalFree(first);
    GlobalFree(third);
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, SIZE_T{1} << 40), nullptr) << "no block of a terabyte";
}

}  // namespace
