// What Windows reads from the built programs: the version in qmsaver.scr's
// and qmshow.exe's properties, their manifest, and what the manifest does
// to the process that carries it (this one, built from the same script).
// Windows only: the layer has no files of programs to look into.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "text/text.h"

namespace {

// A program built beside this one.
std::string Beside(const char *name) {
    WCHAR path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::string self = Utf8(std::wstring_view(path, length));
    return self.substr(0, self.find_last_of("\\/") + 1) + name;
}

struct VersionInfo {
    std::vector<char> block;
    bool Read(const std::string &file) {
        std::wstring name = Wide(file);
        DWORD ignored = 0, size = GetFileVersionInfoSizeW(name.c_str(), &ignored);
        if (size == 0) return false;
        block.assign(size, 0);
        return GetFileVersionInfoW(name.c_str(), 0, size, block.data());
    }
    const VS_FIXEDFILEINFO *Fixed() {
        void *value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(block.data(), L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) return nullptr;
        return static_cast<const VS_FIXEDFILEINFO *>(value);
    }
    // A string of the first language the file lists.
    std::string Text(const char *name) {
        void *value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) || length < 4) return "?";
        auto *language = static_cast<const WORD *>(value);
        char path[128];
        std::snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", language[0], language[1], name);
        if (!VerQueryValueW(block.data(), Wide(path).c_str(), &value, &length) || length == 0) return "?";
        return Utf8(static_cast<const WCHAR *>(value));
    }
};

std::string ManifestOf(HMODULE module) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    if (!found) return {};
    auto *data = static_cast<const char *>(LockResource(LoadResource(module, found)));
    return data ? std::string(data, SizeofResource(module, found)) : std::string();
}

TEST(ProgramFiles, TheSaverAndTheToolShowTheirMakerProductAndVersion) {
    struct Expected {
        const char *file, *description;
    };
    for (Expected expected : {Expected{"qmsaver.scr", "QM Custom Saver 2.1 screen saver"},
                              Expected{"qmshow.exe", "QM Custom Saver 2.1 show tool"}}) {
        SCOPED_TRACE(expected.file);
        VersionInfo info;
        ASSERT_TRUE(info.Read(Beside(expected.file))) << "no version resource, error " << GetLastError();
        const VS_FIXEDFILEINFO *fixed = info.Fixed();
        ASSERT_NE(fixed, nullptr);
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(1, 2)) << "2.1";
        EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(1, 2));
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
        EXPECT_EQ(info.Text("CompanyName"), "Quillmere");
        EXPECT_EQ(info.Text("ProductName"), "QM Custom Saver 2.1");
        EXPECT_EQ(info.Text("FileDescription"), expected.description);
        EXPECT_EQ(info.Text("OriginalFilename"), expected.file);
        EXPECT_EQ(info.Text("FileVersion").rfind("2.1.", 0), 0u) << info.Text("FileVersion");
        EXPECT_EQ(info.Text("ProductVersion").rfind("2.1.", 0), 0u) << info.Text("ProductVersion");
    }
}

TEST(ProgramFiles, TheSaverAndTheToolCarryTheManifest) {
    std::string own = ManifestOf(GetModuleHandleW(nullptr));
    ASSERT_NE(own.find("PerMonitorV2"), std::string::npos);
    for (const char *file : {"qmsaver.scr", "qmshow.exe"}) {
        HMODULE module = LoadLibraryExW(Wide(Beside(file)).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << file << ": error " << GetLastError();
        EXPECT_EQ(ManifestOf(module), own) << file;
        FreeLibrary(module);
    }
}

// What the manifest asks of the system: the process aware of each
// monitor's DPI (so that nothing it draws is stretched behind its back),
// and the Common Controls 6, which Windows loads from its side-by-side
// store. (Wine 8 knows no per-monitor V2 context and makes every process
// aware per monitor; on Windows only the manifest does.)
TEST(ProgramFiles, TheManifestMakesTheProcessPerMonitorAwareWithCommonControls6) {
    HMODULE user = GetModuleHandleW(L"user32.dll");
    using GetContext = DPI_AWARENESS_CONTEXT(WINAPI *)();
    using AwarenessOf = DPI_AWARENESS(WINAPI *)(DPI_AWARENESS_CONTEXT);
    auto getContext = reinterpret_cast<GetContext>(
        reinterpret_cast<void (*)()>(GetProcAddress(user, "GetThreadDpiAwarenessContext")));
    auto awarenessOf = reinterpret_cast<AwarenessOf>(
        reinterpret_cast<void (*)()>(GetProcAddress(user, "GetAwarenessFromDpiAwarenessContext")));
    ASSERT_TRUE(getContext && awarenessOf) << "a system without per-monitor awareness";
    EXPECT_EQ(awarenessOf(getContext()), DPI_AWARENESS_PER_MONITOR_AWARE);

    HMODULE controls = LoadLibraryW(L"comctl32.dll");
    ASSERT_NE(controls, nullptr);
    WCHAR path[MAX_PATH];
    DWORD length = GetModuleFileNameW(controls, path, MAX_PATH);
    std::string file = Utf8(std::wstring_view(path, length));
    for (char &c : file) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(file.find("\\winsxs\\"), std::string::npos) << file;
    EXPECT_NE(file.find("microsoft.windows.common-controls_6595b64144ccf1df_6.0."), std::string::npos) << file;
    FreeLibrary(controls);
}

}  // namespace
