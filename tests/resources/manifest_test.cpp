// The program's manifest and version as its own module holds them: natively
// the compiled resource script the layer reads, against Windows the test
// program's copy of the same script. (binaries_test.cpp looks into the
// .scr itself.)
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::string ResourceBytes(LPCWSTR type) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(1), type);
    if (!found) return {};
    auto *data = static_cast<const char *>(LockResource(LoadResource(self, found)));
    return data ? std::string(data, SizeofResource(self, found)) : std::string();
}

// The UTF-16 form of an ASCII text, as a version resource stores its strings.
std::string Utf16(const std::string &ascii) {
    std::string wide;
    for (char c : ascii) wide += {c, '\0'};
    return wide;
}

TEST(ProgramManifest, AsksForNoElevationNamesWindows7To11AndPerMonitorDpiAwareness) {
    std::string manifest = ResourceBytes(RT_MANIFEST);
    ASSERT_FALSE(manifest.empty()) << "no manifest resource 1";
    EXPECT_EQ(manifest.rfind("<?xml", 0), 0u) << "the XML declaration comes first";
    for (const char *part : {
             R"(<requestedExecutionLevel level="asInvoker")",
             "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
             "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
             ">PerMonitorV2</dpiAwareness>",
             ">true/pm</dpiAware>",
             R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
             R"(publicKeyToken="6595b64144ccf1df")",
         })
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
}

// Its fields are read through the version API in binaries_test.cpp; here,
// that the layer finds the resource of that type with its strings.
TEST(ProgramManifest, TheVersionResourceNamesTheMakerAndTheProduct) {
    std::string version = ResourceBytes(RT_VERSION);
    ASSERT_FALSE(version.empty()) << "no version resource 1";
    for (const char *text : {"VS_VERSION_INFO", "CompanyName", "Quillmere", "ProductName", "QM Custom Saver 2.1"})
        EXPECT_NE(version.find(Utf16(text)), std::string::npos) << text;
}

}  // namespace
