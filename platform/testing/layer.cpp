// The test hooks, over the layer's own state.
#include "layer.h"

#include "../internal.h"

namespace Layer {

bool Available() { return true; }
void Reset() { layer::ResetAll(); }

void SetScreen(int width, int height, int depth) {
    layer::ResizeScreen(width, height, depth);
    SetCursorPos(width / 2, height / 2);
}

uint32_t ScreenPixel(int x, int y) {
    const layer::Screen &s = layer::screen();
    if (x < 0 || y < 0 || x >= s.width || y >= s.height) return 0xFFFFFFFF;
    return s.pixels[static_cast<size_t>(y) * s.width + x];
}

bool SaveScreen(const std::string &path) { return layer::WriteScreenImage(path); }

void UseVirtualClock(bool on) { layer::SetVirtualClock(on); }
void AdvanceClock(DWORD milliseconds) { layer::AdvanceClockTo(layer::Now() + milliseconds); }

void SetTimeLimit(DWORD tick) {
    layer::timeLimit() = layer::TimeLimit{true, tick, false};
}

void SetWindows95Family(bool on) { layer::SetWin95(on); }

void RegisterModule(const std::string &name, const std::map<std::string, FARPROC> &exports, bool preloaded) {
    layer::RegisterStandIn(name, exports, preloaded);
}

int ModuleLoadCount(const std::string &name) { return layer::LoadCount(name); }
bool ScreenSaverRunning() { return layer::ScreenSaverRunningFlag(); }
int CursorShowCount() { return layer::CursorShowCounter(); }
LPTOP_LEVEL_EXCEPTION_FILTER InstalledExceptionFilter() { return layer::ExceptionFilter(); }

}  // namespace Layer
