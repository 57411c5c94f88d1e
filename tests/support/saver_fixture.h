// Common ground of the tests that run the saver window: a fresh machine
// (on the portable layer), fresh host state, and a way to run the queue.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "host/host.h"
#include "platform/testing/layer.h"
#include "support/user_actions.h"
#include "text/text.h"

#define SKIP_WITHOUT_LAYER(why) \
    if (!Layer::Available()) GTEST_SKIP() << why

// What running the queue dry brought.
struct PumpResult {
    bool quit = false;
    int exitCode = 0;
};

// Sees each message the loop takes from the queue, before it is dispatched.
using MessageWatch = std::function<void(const MSG &)>;

// Dispatches every message waiting now (posted, paint, due timers) and
// what they post in turn, until the queue is empty or WM_QUIT arrives.
PumpResult Pump(const MessageWatch &watch = {});

// Runs the queue for the given time: on the layer's virtual clock by
// jumping from event to event, against Windows in real time.
void RunFor(DWORD milliseconds, const MessageWatch &watch = {});


// A visible top-level window of a plain class, such as the control panel's.
HWND MakePlainWindow(int width, int height);

class SaverTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Makes the machine report the 95 family (portable layer only).
    void UseWindows95(bool withPassword);
};

// A visible plain window and its DC, for tests that draw and read back.
class DrawingTest : public SaverTest {
protected:
    void OpenWindow(int width, int height);
    void TearDown() override;
    HWND window = nullptr;
    HDC dc = nullptr;
};
