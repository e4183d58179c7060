/*
 * Every printer name that the network provider returns for the default
 * simulated network opens through the print provider's OpenPrinter, loaded
 * as the Windows 95 spooler loads it.
 */
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "qvsim.h"
#include "registry.h"
#include "router_host.h"
#include "spoolhost.h"

namespace {

const char kTestRoot[] = "Software\\QvnetprovTest";
const char kProviderKey[] = "Software\\QvnetprovTest\\Provider";
const char kUserKey[] = "Software\\QvnetprovTest\\User";

using qvtest::DeleteTree;

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
        SpoolUnloadProvider(&m_printProvider);
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
    SpoolProvider m_printProvider = {};
    RouterHost m_netHost;
};

TEST_F(NetProvQvprovNamesTest, EveryListedPrinterOpens)
{
    ASSERT_TRUE(m_netHost.load());
    Walk walk = WalkTree(m_netHost, 1024);
    ASSERT_EQ("", walk.fault);
    ASSERT_FALSE(walk.printers.empty());

    ASSERT_EQ(DWORD(ERROR_SUCCESS), SpoolLoadProvider("qvprov.dll", kProviderKey, &m_printProvider));
    PFN_OpenPrinter openPrinter = m_printProvider.table.fpOpenPrinter;
    PFN_ClosePrinter closePrinter = m_printProvider.table.fpClosePrinter;
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
