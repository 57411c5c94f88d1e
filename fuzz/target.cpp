#include "target.h"

#include <cstdio>

void FuzzMachine(int width, int height) {
    Layer::Reset();
    Layer::UseVirtualClock(true);
    Layer::SetScreen(width, height, 24);
}

bool WriteInput(const std::string &path, const uint8_t *data, size_t size) {
    OFSTRUCT info{};
    HFILE file = OpenFile(path.c_str(), &info, OF_CREATE | OF_WRITE);
    if (file == HFILE_ERROR) return false;
    bool written = size == 0 || _hwrite(file, reinterpret_cast<LPCSTR>(data), static_cast<long>(size)) == static_cast<long>(size);
    _lclose(file);
    return written;
}
