// Finding the title disc and reading its catalogue.
#include "disc/catalogue.h"

#include "text/text.h"

#include <cstdio>
#include <cstring>

Catalogue catalogue;

namespace {

const char kCatalogueName[] = "QM.SD";
const char kOldDiscProbe[] = "TARNIK.EXE";
// The catalogue is a few hundred bytes; more than this is not read.
constexpr UINT kCatalogueLimit = 1023;

// The disc that came before catalogues: what its catalogue would say.
void FillBuiltInCatalogue(Catalogue &c) {
    static const char *const kContents[] = {"春", "夏", "秋", "冬"};
    static const char *const kTracks[] = {"Meltwater Suite", "Low evening hum", "Ridges", "Frost chimes", "Far Fields"};
    CopyText(c.title, sizeof c.title, "HOLM・TARNIK");
    if (std::snprintf(c.soundDir, sizeof c.soundDir, "%sDAT\\SOUND\\S\\", c.discRoot) >= static_cast<int>(sizeof c.soundDir))
        c.soundDir[0] = 0;
    c.contentCount = 4;
    for (int i = 0; i < 4; i++) CopyText(c.contentNames[i], sizeof c.contentNames[i], kContents[i]);
    c.trackCount = 5;
    for (int i = 0; i < 5; i++) CopyText(c.trackNames[i], sizeof c.trackNames[i], kTracks[i]);
}

// The lines of the catalogue in turn; blank lines do not count.
struct LineReader {
    const char *p;
    // The next line and its length; an empty line once the text has ended.
    const char *Next(size_t *length) {
        while (*p == '\r' || *p == '\n') p++;
        const char *start = p;
        while (*p && *p != '\r' && *p != '\n') p++;
        *length = static_cast<size_t>(p - start);
        return start;
    }
    // The next line as a name: cut as the disc's code page counts, kept in UTF-8.
    void Copy(char *slot, size_t size) {
        size_t length;
        const char *line = Next(&length);
        char name[kNameSize];
        CopyCp932(name, sizeof name, line, length);
        CopyText(slot, size, FromCodePage(932, name));
    }
    // A count: decimal after leading blanks, 0 for anything else or a
    // negative number, at most limit.
    int16_t Count(int limit, int *stated) {
        size_t length;
        const char *line = Next(&length);
        size_t i = 0;
        while (i < length && (line[i] == ' ' || line[i] == '\t')) i++;
        long value = 0;
        while (i < length && line[i] >= '0' && line[i] <= '9' && value <= 1000000) value = value * 10 + (line[i++] - '0');
        *stated = static_cast<int>(value);
        return static_cast<int16_t>(value > limit ? limit : value);
    }
    // Passes over the names beyond the ones kept.
    void Skip(int lines) {
        size_t length;
        for (int i = 0; i < lines && *p; i++) Next(&length);
    }
};

bool ReadCatalogueFile(const char *path, char *text) {
    HFILE file = OpenForReading(path);
    if (file == HFILE_ERROR) return false;
    LONG size = _llseek(file, 0, FILE_END);
    _llseek(file, 0, FILE_BEGIN);
    UINT wanted = size < 0 ? 0 : size > static_cast<LONG>(kCatalogueLimit) ? kCatalogueLimit : static_cast<UINT>(size);
    UINT got = _lread(file, text, wanted);
    _lclose(file);
    return got == wanted;
}

bool Exists(const char *path) {
    DWORD attributes = FileAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void CopyCp932(char *slot, size_t size, const char *text, size_t length) {
    if (size == 0) return;
    size_t n = 0;
    while (n < length && text[n]) {
        size_t step = IsDBCSLeadByteEx(932, static_cast<BYTE>(text[n])) ? 2 : 1;
        // A lead byte without its trail byte is not a character.
        if (n + step > length || (step == 2 && !text[n + 1]) || n + step >= size) break;
        n += step;
    }
    std::memcpy(slot, text, n);
    slot[n] = 0;
}

void ParseCatalogue(const char *text, Catalogue &c) {
    LineReader lines{text};
    lines.Copy(c.title, sizeof c.title);
    lines.Skip(1);  // the picture folder: pictures are always under DAT\ .
    size_t length;
    const char *sound = lines.Next(&length);
    char folder[MAX_PATH];
    CopyCp932(folder, sizeof folder, sound, length);
    CopyText(c.soundDir, sizeof c.soundDir, c.discRoot + FromCodePage(932, folder));

    int stated;
    c.contentCount = lines.Count(kMaxContents, &stated);
    if (std::strcmp(c.title, "「ORVA」") == 0 && c.contentCount == 0) {
        c.contentCount = 1;
        std::strcpy(c.contentNames[0], "SLIDESHOW");
    } else {
        for (int i = 0; i < c.contentCount; i++) lines.Copy(c.contentNames[i], sizeof c.contentNames[i]);
        lines.Skip(stated - c.contentCount);
    }
    c.trackCount = lines.Count(kMaxTracks, &stated);
    if (std::strcmp(c.title, "「KESTIN」") == 0) c.trackCount = 4;
    for (int i = 0; i < c.trackCount; i++) lines.Copy(c.trackNames[i], sizeof c.trackNames[i]);
}

bool ReadTitleDisc(const char *root) {
    catalogue = Catalogue{};
    size_t length = std::strlen(root);
    const char *separator = length > 0 && (root[length - 1] == '\\' || root[length - 1] == '/') ? "" : "\\";
    char path[kPathBytes];
    bool builtIn = false;
    if (std::snprintf(path, sizeof path, "%s%s%s", root, separator, kCatalogueName) >= static_cast<int>(sizeof path))
        return false;
    if (!Exists(path)) {
        std::snprintf(path, sizeof path, "%s%s%s", root, separator, kOldDiscProbe);
        if (!Exists(path)) return false;
        builtIn = true;
    }
    catalogue.discFound = true;
    std::snprintf(catalogue.catalogueFile, sizeof catalogue.catalogueFile, "%s", path);
    std::snprintf(catalogue.discRoot, sizeof catalogue.discRoot, "%s%s", root, separator);
    if (builtIn) {
        FillBuiltInCatalogue(catalogue);
    } else {
        char text[kCatalogueLimit + 1] = {};
        if (ReadCatalogueFile(path, text)) ParseCatalogue(text, catalogue);
    }
    return true;
}

bool TitleDiscInDrive() { return catalogue.discFound && Exists(catalogue.catalogueFile); }

bool ScanForTitleDisc() {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    SetErrorMode(SEM_NOOPENFILEERRORBOX);
    catalogue = Catalogue{};
    for (char drive = 'C'; drive <= 'Z'; drive++) {
        char root[4];
        std::snprintf(root, sizeof root, "%c:\\", drive);
        if (GetDriveTypeW(Wide(root).c_str()) == DRIVE_CDROM && ReadTitleDisc(root)) break;
    }
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    return catalogue.discFound;
}
