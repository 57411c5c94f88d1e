#include "target.h"

#include "text/text.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

void FuzzMachine(int width, int height) {
    Layer::Reset();
    Layer::UseVirtualClock(true);
    Layer::SetScreen(width, height, 24);
}

void DriveCInMemory() {
    namespace fs = std::filesystem;
    const std::string prefix = "qmsaver-fuzz-";
    std::error_code error;
    // A run that AFL++ ended, or that crashed, left its drive behind: those
    // of processes that are gone go now.
    for (const fs::directory_entry &entry : fs::directory_iterator("/dev/shm", error)) {
        std::string name = entry.path().filename(), pid = name.substr(std::min(name.size(), prefix.size()));
        if (name.rfind(prefix, 0) == 0 && !pid.empty() && pid.find_first_not_of("0123456789") == std::string::npos &&
            !fs::exists("/proc/" + pid, error))
            fs::remove_all(entry.path(), error);
    }
    static const std::string *memory = new std::string("/dev/shm/" + prefix + std::to_string(getpid()));
    std::string from = Layer::HostPath("C:\\");
    if (from.empty() || !fs::create_directory(*memory, error)) return;
    fs::copy(from, *memory, fs::copy_options::recursive, error);
    if (error) {
        fs::remove_all(*memory, error);
        return;
    }
    Layer::MapDrive('C', *memory, DRIVE_FIXED);
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(*memory, ignored);
    });
}

bool WriteInput(const std::string &path, const uint8_t *data, size_t size) {
    HFILE file = CreateAnew(path.c_str());
    if (file == HFILE_ERROR) return false;
    bool written = size == 0 || _hwrite(file, reinterpret_cast<LPCSTR>(data), static_cast<long>(size)) == static_cast<long>(size);
    _lclose(file);
    return written;
}

bool ReadBack(const std::string &path, std::vector<uint8_t> *bytes) {
    HFILE file = OpenForReading(path.c_str());
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
