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

bool ReadBack(const std::string &path, std::vector<uint8_t> *bytes) {
    OFSTRUCT info{};
    HFILE file = OpenFile(path.c_str(), &info, OF_READ);
    if (file == HFILE_ERROR) return false;
    LONG size = _llseek(file, 0, FILE_END);
    bool read = size >= 0 && _llseek(file, 0, FILE_BEGIN) == 0;
    if (read) {
        bytes->resize(static_cast<size_t>(size));
        read = size == 0 || _hread(file, bytes->data(), size) == size;
    }
    _lclose(file);
    return read;
}
