// The headless screen: its monitors, their layout, and the pixels they show.
#include "gdi.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace headless {
namespace {

Screen &theScreen() {
    static Screen s;
    return s;
}

// Every other part's reset may size itself by the screen: it comes first.
const bool registered = (OnResetFirst([] {
                             ResizeScreen(640, 480, 24);
                             theScreen().dpi = 96;
                         }),
                         true);

bool Overlap(const RECT &a, const RECT &b) {
    return std::min(a.right, b.right) > std::max(a.left, b.left) && std::min(a.bottom, b.bottom) > std::max(a.top, b.top);
}

// "WxH" or "WxHxD", with a '*' in front for the primary.
bool ParseMonitor(const char *&p, LONG &width, LONG &height, int &depth, bool &primary) {
    primary = *p == '*';
    if (primary) p++;
    char *end;
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
    long w = std::strtol(p, &end, 10);
    if (*end != 'x' || !std::isdigit(static_cast<unsigned char>(end[1]))) return false;
    long h = std::strtol(end + 1, &end, 10);
    long d = 0;
    if (*end == 'x') {
        if (!std::isdigit(static_cast<unsigned char>(end[1]))) return false;
        d = std::strtol(end + 1, &end, 10);
    }
    p = end;
    if (w <= 0 || h <= 0 || w > 8192 || h > 8192 || d > 32) return false;
    width = static_cast<LONG>(w), height = static_cast<LONG>(h), depth = static_cast<int>(d);
    return true;
}

}  // namespace

Screen &screen() { return theScreen(); }

void ResizeScreen(int width, int height, int depth) { SetMonitors({RECT{0, 0, width, height}}, depth); }

bool SetMonitors(const std::vector<RECT> &monitors, int depth) {
    if (monitors.empty() || monitors[0].left != 0 || monitors[0].top != 0) return false;
    RECT bounds = monitors[0];
    for (const RECT &m : monitors) {
        if (m.right <= m.left || m.bottom <= m.top) return false;
        bounds = {std::min(bounds.left, m.left), std::min(bounds.top, m.top), std::max(bounds.right, m.right),
                  std::max(bounds.bottom, m.bottom)};
    }
    // Screen coordinates travel in 16-bit message parameters.
    if (bounds.left < -32768 || bounds.top < -32768 || bounds.right > 32767 || bounds.bottom > 32767 ||
        int64_t{bounds.right - bounds.left} * (bounds.bottom - bounds.top) > (int64_t{1} << 28))
        return false;
    Screen &s = theScreen();
    s.monitors = monitors;
    s.width = monitors[0].right;
    s.height = monitors[0].bottom;
    s.depth = depth;
    s.bounds = bounds;
    s.pixels.assign(static_cast<size_t>(bounds.right - bounds.left) * static_cast<size_t>(bounds.bottom - bounds.top), 0);
    return true;
}

bool Screen::OnMonitor(long x, long y) const {
    for (const RECT &m : monitors)
        if (x >= m.left && x < m.right && y >= m.top && y < m.bottom) return true;
    return false;
}

uint32_t Screen::Shown(long x, long y) { return monitors.size() == 1 || OnMonitor(x, y) ? At(x, y) : 0; }

// Monitors joined by '+' (the next one to the right of the one before, tops
// in line) or '/' (the next one below it, left edges in line); the primary
// is the one marked '*', else the first. One depth for the whole screen.
bool ParseScreenLayout(const std::string &text, std::vector<RECT> &monitors, int &depth) {
    std::vector<RECT> placed;
    size_t primary = 0;
    bool marked = false;
    int given = 0;
    const char *p = text.c_str();
    for (char joint = 0;;) {
        LONG w, h;
        int d;
        bool isPrimary;
        if (!ParseMonitor(p, w, h, d, isPrimary)) return false;
        if (isPrimary) {
            if (marked) return false;
            marked = true;
            primary = placed.size();
        }
        if (d) {
            if (given && given != d) return false;
            given = d;
        }
        RECT r{0, 0, w, h};
        if (!placed.empty()) {
            const RECT &before = placed.back();
            LONG left = joint == '+' ? before.right : before.left, top = joint == '+' ? before.top : before.bottom;
            r = {left, top, left + w, top + h};
        }
        for (const RECT &other : placed)
            if (Overlap(r, other)) return false;
        placed.push_back(r);
        if (*p == 0) break;
        if (placed.size() == 16) return false;
        if (*p != '+' && *p != '/') return false;
        joint = *p++;
    }
    // The primary at the origin, listed first.
    LONG dx = placed[primary].left, dy = placed[primary].top;
    monitors.clear();
    monitors.push_back(placed[primary]);
    for (size_t i = 0; i < placed.size(); i++)
        if (i != primary) monitors.push_back(placed[i]);
    for (RECT &r : monitors) r = {r.left - dx, r.top - dy, r.right - dx, r.bottom - dy};
    depth = !given ? 24 : given <= 8 ? 8 : given <= 16 ? 16 : given <= 24 ? 24 : 32;
    return true;
}

}  // namespace headless
