// The notification profile on a machine whose host name cannot be read, and
// with a registry that changes between the two passes over the printer's
// event families: the provider's inner parts linked in, with the host-name
// source and the call between the passes set by the test.
#include <windows.h>
#include <winsock.h>
#include <gtest/gtest.h>

#include <memory>

#include <string>
#include <vector>

#include "attributes.h"
#include "cache.h"
#include "entries.h"
#include "journal.h"
#include "qvsim.h"
#include "registry.h"

namespace {

using qvtest::DeleteTree;
using qvtest::JournalLines;

constexpr DWORD kPoison = 0xdeadbeef;
const char kHivePath[] = "Software\\QvprovTest\\profile-passes";
const char kEventsSupportedKey[] = "Software\\Tamsell\\Quorvane\\CurrentVersion\\EventsSupported";
const char kNetwork[] = "domain 2 corp\nserver srv1\nprinter lp1 srv1\neventport 5151\n";
const char kPrinter[] = "\\\\srv1.corp\\lp1";

void SetValue(HKEY root, const std::string &path, const char *name, DWORD type, const std::string &data)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE *>(data.data()), DWORD(data.size()));
    RegCloseKey(key);
}

void SetDword(HKEY root, const std::string &path, const char *name, DWORD value)
{
    SetValue(root, path, name, REG_DWORD, std::string(reinterpret_cast<const char *>(&value), sizeof value));
}

std::string PrinterKey()
{
    return std::string(kPrinterKeyRoot) + ",,srv1.corp,lp1";
}

// A family under the printer's DefaultEventProfile, known to this machine.
void AddFamily(const std::string &family, DWORD methods, DWORD shoid)
{
    SetDword(HKEY_CURRENT_USER, PrinterKey() + "\\DefaultEventProfile\\" + family, "Methods", methods);
    SetDword(HKEY_LOCAL_MACHINE, std::string(kEventsSupportedKey) + "\\" + family, "SHOID", shoid);
}

int PASCAL NoHostName(char *, int)
{
    WSASetLastError(WSAENETDOWN);
    return SOCKET_ERROR;
}

// Between the passes, more families than the first pass counted appear.
void AddFamiliesBetweenPasses()
{
    for (int i = 0; i < 5; ++i)
        AddFamily("Added" + std::to_string(i), 3, 2000 + i);
}

class ProfilePassesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimReset();
        ASSERT_EQ(0, SimLoadNetwork(kNetwork));
        events_.reset(new qvtest::RegistrySandbox(HKEY_LOCAL_MACHINE, {kEventsSupportedKey}));
        DeleteTree(HKEY_CURRENT_USER, kHivePath);
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(HKEY_CURRENT_USER, kHivePath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &hive_, nullptr));
        RegOverridePredefKey(HKEY_CURRENT_USER, hive_);
        HandleListInit();
        LoadPrintAssistant();
        CacheStart();
        NS_Init(0, 10);
    }

    void TearDown() override
    {
        g_eventProfileHooks = {gethostname, nullptr};
        CloseAllHandles();
        UnloadPrintAssistant();
        CacheStop();
        NS_Term();
        HandleListTerm();
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegCloseKey(hive_);
        DeleteTree(HKEY_CURRENT_USER, kHivePath);
        events_.reset();
        EXPECT_EQ(0, SimLiveObjects(nullptr)) << qvtest::LeakReport();
        EXPECT_EQ(0, SimOwnershipFaults()) << qvtest::LeakReport();
    }

    // Prints one document; the attribute 123 line of the print request ("" if
    // none), and StartDocPrinter's error (0 when it succeeded).
    std::string PrintOne(DWORD *error)
    {
        HANDLE printer = nullptr;
        EXPECT_TRUE(OpenPrinter(const_cast<LPSTR>(kPrinter), &printer, nullptr));
        SimJournalClear();
        DOC_INFO_1A info = {const_cast<LPSTR>("memo"), nullptr, nullptr};
        SetLastError(kPoison);
        const DWORD job = StartDocPrinter(printer, 1, reinterpret_cast<LPBYTE>(&info));
        *error = job ? 0 : GetLastError();
        if (job) {
            EXPECT_TRUE(EndDocPrinter(printer));
        }
        EXPECT_TRUE(ClosePrinter(printer));
        std::string profile;
        for (const std::string &line : JournalLines()) {
            if (line.compare(0, 12, "  ATTR 1 123") == 0)
                profile = line.substr(2);
        }
        return profile;
    }

    HKEY hive_ = nullptr;
    std::unique_ptr<qvtest::RegistrySandbox> events_;
};

// A machine whose host name cannot be read sends the mail profile alone; with
// no usable mail settings either, attribute 123 goes with no profile in it.
TEST_F(ProfilePassesTest, NoReadableHostName)
{
    g_eventProfileHooks.hostName = NoHostName;
    AddFamily("Completed", 3, 1001);
    struct Case {
        const char *what;
        DWORD mailType;
        const char *expected;
    } cases[] = {
        {"usable mail settings", 1,
         "ATTR 1 123 EventProfile([1001],3001,0,DeliveryAddress(1,1,\"ann@corp.example\")"},
        {"mail kind 3", 3, "ATTR 1 123"},
    };
    SetValue(HKEY_CURRENT_USER, PrinterKey(), "MailAddress", REG_SZ, std::string("ann@corp.example\0", 17));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SetDword(HKEY_CURRENT_USER, PrinterKey(), "MailType", c.mailType);
        DWORD error = kPoison;
        const std::string profile = PrintOne(&error);
        EXPECT_EQ(0u, error);
        EXPECT_EQ(0u, profile.find(c.expected)) << profile;
        EXPECT_EQ(std::string::npos, profile.find(",3003,")) << "no port profile: " << profile;
        if (c.mailType == 3) {
            EXPECT_EQ(std::string(c.expected), profile);
        }
    }
}

// Families added between the passes would overrun the lists the first pass
// sized: the job fails with -998 (ERROR_INVALID_PARAMETER) instead, and
// nothing stays on the server.
TEST_F(ProfilePassesTest, FamiliesAddedBetweenThePassesFailTheJob)
{
    AddFamily("Completed", 3, 1001);
    g_eventProfileHooks.betweenPasses = AddFamiliesBetweenPasses;
    DWORD error = 0;
    const std::string profile = PrintOne(&error);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), error);
    EXPECT_EQ("", profile);
    EXPECT_EQ(-1, qvtest::FindJournal(JournalLines(), " type=11 status=0"))
        << "no print request was submitted";

    // Once the registry holds still, the same families make a job again.
    g_eventProfileHooks.betweenPasses = nullptr;
    const std::string again = PrintOne(&error);
    EXPECT_EQ(0u, error);
    EXPECT_EQ(0u, again.find("ATTR 1 123 EventProfile([")) << again;
}

} // namespace
