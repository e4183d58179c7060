/*
 * Every printer name that the network provider returns for the default
 * simulated network opens through the print provider's OpenPrinter, loaded
 * as the Windows 95 spooler loads it.
 */
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "qvsim.h"
#include "router_host.h"

namespace {

const int kPrinterSlots = 50; // stdcall entry pointers of the spooler's table
const int kSlotOpenPrinter = 0;
const int kSlotClosePrinter = 31;
const char kTestRoot[] = "Software\\QvnetprovTest";
const char kProviderKey[] = "Software\\QvnetprovTest\\Provider";
const char kUserKey[] = "Software\\QvnetprovTest\\User";

typedef BOOL(WINAPI *InitializeFn)(void **table, DWORD size, LPSTR registryPath);
typedef BOOL(WINAPI *OpenPrinterFn)(LPSTR name, HANDLE *handle, void *defaults);
typedef BOOL(WINAPI *ClosePrinterFn)(HANDLE handle);

void DeleteTree(HKEY root, const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    char name[512];
    for (;;) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        std::string child = std::string(path) + "\\" + name;
        DeleteTree(root, child.c_str());
    }
    RegCloseKey(key);
    RegDeleteKeyA(root, path);
}

class NetProvQvprovNamesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimReset();
        ASSERT_EQ(0, SimLoadDefaultNetwork());
        DeleteTree(HKEY_LOCAL_MACHINE, kTestRoot);
        DeleteTree(HKEY_CURRENT_USER, kTestRoot);
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProviderKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr));
        RegCloseKey(key);
        // The print provider writes per-user printer keys: keep them under a
        // key of this test's own.
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(HKEY_CURRENT_USER, kUserKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &m_userKey, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, m_userKey));
    }

    void TearDown() override
    {
        if (m_printProvider != nullptr)
            FreeLibrary(m_printProvider);
        EXPECT_TRUE(m_netHost.unload());
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        if (m_userKey != nullptr)
            RegCloseKey(m_userKey);
        DeleteTree(HKEY_CURRENT_USER, kTestRoot);
        DeleteTree(HKEY_LOCAL_MACHINE, kTestRoot);
        EXPECT_EQ(0, SimLiveObjects(nullptr)) << LeakReport();
        EXPECT_EQ(0, SimOwnershipFaults()) << LeakReport();
        SimReset();
    }

    HKEY m_userKey = nullptr;
    HMODULE m_printProvider = nullptr;
    RouterHost m_netHost;
};

TEST_F(NetProvQvprovNamesTest, EveryListedPrinterOpens)
{
    ASSERT_TRUE(m_netHost.load());
    Walk walk = WalkTree(m_netHost, 1024);
    ASSERT_EQ("", walk.fault);
    ASSERT_FALSE(walk.printers.empty());

    m_printProvider = LoadLibraryA("qvprov.dll");
    ASSERT_NE(nullptr, m_printProvider);
    auto initialize
        = reinterpret_cast<InitializeFn>(GetProcAddress(m_printProvider, "InitializePrintProvidor"));
    ASSERT_NE(nullptr, initialize);
    void *table[kPrinterSlots] = {};
    ASSERT_TRUE(initialize(table, sizeof table, const_cast<char *>(kProviderKey)));
    auto openPrinter = reinterpret_cast<OpenPrinterFn>(table[kSlotOpenPrinter]);
    auto closePrinter = reinterpret_cast<ClosePrinterFn>(table[kSlotClosePrinter]);
    ASSERT_NE(nullptr, openPrinter);
    ASSERT_NE(nullptr, closePrinter);

    std::set<std::string> opened;
    for (const Resource &printer : walk.printers) {
        SCOPED_TRACE(printer.remote);
        HANDLE handle = reinterpret_cast<HANDLE>(kSentinel);
        SetLastError(kSentinel);
        ASSERT_TRUE(openPrinter(const_cast<char *>(printer.remote.c_str()), &handle, nullptr))
            << "last error " << GetLastError();
        EXPECT_NE(reinterpret_cast<HANDLE>(kSentinel), handle);
        EXPECT_TRUE(closePrinter(handle));
        opened.insert(printer.remote);
    }
    // Each printer is listed under its domain and under its server.
    EXPECT_EQ(walk.printers.size(), 2 * opened.size());
}

} // namespace
