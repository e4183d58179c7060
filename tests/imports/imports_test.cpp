// The deliverables load on Windows 95: each imports only from the DLLs a
// Windows 95 machine has (with the client libraries and the C run-time the
// installation brings), only KERNEL32 functions that Windows 95 exports, and
// carries image headers that its loader accepts. Read from the product build's
// files, so the check is the same whichever variant runs the tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>

#include "peimports.h"

namespace {

const char *const kDeliverables[]
    = {"qvprov.dll", "qvnetprov.dll", "qvsetup.exe", "ProvKeep.dll", "pgrprobe.dll"};

// What a Windows 95 machine with the client installed provides.
const std::set<std::string> kAllowedDlls
    = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL",  "ADVAPI32.DLL", "MPR.DLL",
       "WSOCK32.DLL",  "MSVCRT.DLL", "QVCORE.DLL", "QVDPA.DLL",    "QVATTR.DLL"};

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(toupper(c)); });
    return text;
}

std::string ProductFile(const char *name)
{
    return std::string(QV_PRODUCT_BIN_DIR) + "/" + name;
}

std::set<std::string> Win95Kernel32()
{
    std::set<std::string> names;
    std::ifstream list(QV_WIN95_KERNEL32_LIST);
    std::string line;
    while (std::getline(list, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] != '#')
            names.insert(line);
    }
    return names;
}

TEST(Win95Imports, TheExportListIsRead)
{
    std::set<std::string> kernel32 = Win95Kernel32();
    EXPECT_GT(kernel32.size(), 500u) << QV_WIN95_KERNEL32_LIST;
    EXPECT_EQ(1u, kernel32.count("CreateThread"));
    EXPECT_EQ(0u, kernel32.count("GetTickCount64"));
    EXPECT_EQ(0u, kernel32.count("SignalObjectAndWait"));
}

TEST(Win95Imports, DeliverablesImportOnlyWhatWindows95Exports)
{
    const std::set<std::string> kernel32 = Win95Kernel32();
    for (const char *module : kDeliverables) {
        SCOPED_TRACE(module);
        PeImage image = ReadPeImage(ProductFile(module));
        ASSERT_EQ("", image.fault) << ProductFile(module);
        EXPECT_FALSE(image.imports.empty());
        for (const auto &[dll, names] : image.imports) {
            EXPECT_EQ(1u, kAllowedDlls.count(Upper(dll))) << module << " imports from " << dll;
            if (Upper(dll) != "KERNEL32.DLL")
                continue;
            for (const std::string &name : names)
                EXPECT_EQ(1u, kernel32.count(name)) << module << " imports " << name << " from " << dll
                                                    << ", which Windows 95 does not export";
        }
    }
}

TEST(Win95Imports, ImageHeadersAreWhatWindows95Accepts)
{
    for (const char *module : kDeliverables) {
        SCOPED_TRACE(module);
        PeImage image = ReadPeImage(ProductFile(module));
        ASSERT_EQ("", image.fault);
        EXPECT_TRUE(image.pe32) << "a 32-bit image";
        EXPECT_EQ(IMAGE_FILE_MACHINE_I386, image.machine);
        EXPECT_EQ(4, image.subsystemMajor);
        EXPECT_EQ(0, image.subsystemMinor);
        EXPECT_LE(image.osMajor, 4);
    }
}

TEST(Win95Imports, NetworkProviderTakesTheRouterCallsFromMpr)
{
    PeImage image = ReadPeImage(ProductFile("qvnetprov.dll"));
    ASSERT_EQ("", image.fault);
    std::set<std::string> fromMpr;
    for (const auto &[dll, names] : image.imports) {
        if (Upper(dll) == "MPR.DLL")
            fromMpr = names;
    }
    EXPECT_EQ((std::set<std::string> {"NPSGetProviderHandleA", "NPSGetProviderNameA"}), fromMpr);
}

} // namespace
