#include "support/title_disc.h"

#include <cstdio>

#include "support/fixtures.h"

void TitleDiscBuilder::File(const std::string &relative, const Bytes &bytes) {
    // Each folder on the way, from the root down.
    for (size_t slash = relative.find('\\'); slash != std::string::npos; slash = relative.find('\\', slash + 1)) {
        std::string folder = root_ + relative.substr(0, slash);
        if (MakeFolder(folder.c_str())) folders_.push_back(folder);
    }
    std::string path = root_ + relative;
    WriteDosFile(path, bytes);
    files_.push_back(path);
}

// The catalogue is code page 932 on the disc, whatever the system's code page.
void TitleDiscBuilder::Catalogue(const std::string &text) {
    std::string bytes = CodePage932(text);
    File("QM.SD", Bytes(bytes.begin(), bytes.end()));
}

std::string TitleDiscBuilder::Picture(int kind, int content, int number, const Bytes &file) {
    const char *folder = kind == 1 ? "S" : kind == 2 || kind == 4 ? "O" : kind == 3 || kind == 5 ? "LO" : kind == 12 ? "L" : "LL";
    char relative[64];
    std::snprintf(relative, sizeof relative, "DAT\\%02d\\%s\\%03d.%s", content, folder, number,
                  kind == 4 || kind == 5 ? "JPG" : "BMP");
    File(relative, file);
    return root_ + relative;
}

void TitleDiscBuilder::Track(int number, unsigned milliseconds, const std::string &soundDir) {
    char name[16];
    std::snprintf(name, sizeof name, "%02d.WAV", number);
    File(soundDir + name, MakeWav(milliseconds));
}

void TitleDiscBuilder::Remove() {
    for (const std::string &f : files_) DeleteDosFile(f);
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) RemoveFolder(it->c_str());
    files_.clear();
    folders_.clear();
}
