#include "support/fixtures.h"

bool WriteDosFile(const std::string &path, const Bytes &bytes) {
    OFSTRUCT info{};
    HFILE f = OpenFile(path.c_str(), &info, OF_CREATE | OF_WRITE);
    if (f == HFILE_ERROR) return false;
    bool ok = bytes.empty() ||
              _hwrite(f, reinterpret_cast<LPCSTR>(bytes.data()), static_cast<long>(bytes.size())) ==
                  static_cast<long>(bytes.size());
    _lclose(f);
    return ok;
}

Bytes ReadDosFile(const std::string &path) {
    OFSTRUCT info{};
    HFILE f = OpenFile(path.c_str(), &info, OF_READ);
    if (f == HFILE_ERROR) return {};
    LONG size = _llseek(f, 0, FILE_END);
    _llseek(f, 0, FILE_BEGIN);
    Bytes bytes(size > 0 ? static_cast<size_t>(size) : 0);
    if (size > 0) _hread(f, bytes.data(), size);
    _lclose(f);
    return bytes;
}

void DeleteDosFile(const std::string &path) {
    OFSTRUCT info{};
    OpenFile(path.c_str(), &info, OF_DELETE);
}

std::string SystemDirectory() {
    char dir[MAX_PATH];
    GetSystemDirectoryA(dir, sizeof dir);
    return dir;
}
