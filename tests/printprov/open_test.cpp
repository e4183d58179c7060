// OpenPrinter and ClosePrinter against the simulated name service, with the
// per-printer registry key each open makes.
#include "fixture.h"

#include <string.h>

namespace {

const char kPrintersKey[] = "Software\\Tamsell\\Quorvane\\CurrentVersion\\PRINTERS";

std::string LongName(size_t length, char fill)
{
    return std::string(length, fill);
}

// The default network plus a domain whose printers have unusual names.
std::string TestNetwork()
{
    std::string text = SimDefaultNetworkText();
    text += "\ndomain 2 office\nserver hq\nprinter a\\b hq\n";
    text += "printer " + LongName(2000, 'k') + " hq\n";
    text += "printer " + LongName(65536, 'm') + " hq\n";
    return text;
}

class OpenTest : public ProviderTest {
protected:
    void SetUp() override
    {
        ProviderTest::SetUp();
        ASSERT_EQ(0, SimLoadNetwork(TestNetwork().c_str()));
        LoadProvider();
        SimJournalClear();
    }

    std::string KeyOf(const std::string &suffix) { return std::string(kUserPrintersRoot) + suffix; }

    int PrinterKeyCount()
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kPrintersKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return 0;
        DWORD subkeys = 0;
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr);
        RegCloseKey(key);
        return static_cast<int>(subkeys);
    }
};

struct NameCase {
    const char *name;
    const char *setDomain; // the NS_SetDomain call the journal shows
    const char *lookup;    // the NS_GetObject call, or null for none
    const char *keySuffix; // the per-printer key under PRINTERS
};

TEST_F(OpenTest, NamesOfEachFormOpenWithTheirKeyAndDefaults)
{
    const NameCase cases[] = {
        {"\\\\srv1.NIS:eng\\lp1", "NS_SetDomain(0,\"eng\"", "NS_GetObject(0,\"lp1\"", ",,srv1.NIS:eng,lp1"},
        {"\\\\lab.DCE:research\\proof", "NS_SetDomain(1,\"research\"", "NS_GetObject(0,\"proof\"",
         ",,lab.DCE:research,proof"},
        {"\\\\srv1.corp\\lp1", "NS_SetDomain(2,\"corp\"", "NS_GetObject(0,\"lp1\"", ",,srv1.corp,lp1"},
        // Kind texts other than exactly NIS or DCE give the default kind.
        {"\\\\srv1.nis:corp\\lp2", "NS_SetDomain(2,\"corp\"", "NS_GetObject(0,\"lp2\"", ",,srv1.corp,lp2"},
        {"\\\\srv1.NISX:corp\\lp1", "NS_SetDomain(2,\"corp\"", "NS_GetObject(0,\"lp1\"", ",,srv1.corp,lp1"},
        // A server handle: the server must be a server object of the domain.
        {"\\\\srv2.corp", "NS_SetDomain(2,\"corp\"", "NS_GetObject(3,\"srv2\"", ",,srv2.corp,"},
        {"\\\\build.NIS:eng\\", "NS_SetDomain(0,\"eng\"", "NS_GetObject(3,\"build\"", ",,build.NIS:eng,"},
        // No server: the printer's server is not compared; with no printer either, no lookup.
        {"\\\\.corp\\lp3", "NS_SetDomain(2,\"corp\"", "NS_GetObject(0,\"lp3\"", ",,.corp,lp3"},
        {"\\\\.corp", "NS_SetDomain(2,\"corp\"", nullptr, ",,.corp,"},
        // A printer name keeps its backslash; the key writes it as a comma.
        {"\\\\hq.office\\a\\b", "NS_SetDomain(2,\"office\"", "NS_GetObject(0,\"a\\b\"", ",,hq.office,a,b"},
    };
    for (const NameCase &c : cases) {
        SCOPED_TRACE(c.name);
        SimJournalClear();
        HANDLE handle = reinterpret_cast<HANDLE>(kPoison);
        SetLastError(kPoison);
        ASSERT_TRUE(Open(c.name, &handle));
        EXPECT_NE(reinterpret_cast<HANDLE>(kPoison), handle);
        EXPECT_NE(nullptr, handle);

        std::vector<std::string> journal = JournalLines();
        int setDomain = FindJournal(journal, c.setDomain);
        EXPECT_LE(0, setDomain) << ::testing::PrintToString(journal);
        if (c.lookup)
            EXPECT_LT(setDomain, FindJournal(journal, c.lookup)) << ::testing::PrintToString(journal);
        else
            EXPECT_EQ(-1, FindJournal(journal, "NS_GetObject"));

        DWORD usePA = kPoison;
        DWORD filters = kPoison;
        EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, KeyOf(c.keySuffix), "QVZ_Use_PA", &usePA));
        EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, KeyOf(c.keySuffix), "QVZ_Filters", &filters));
        EXPECT_EQ(0u, usePA);
        EXPECT_EQ(3u, filters);
        EXPECT_TRUE(Close(handle));
    }
}

TEST_F(OpenTest, RefusedNamesGiveInvalidNameAndMakeNothing)
{
    const std::string noSuchLong = "\\\\srv1.corp\\" + LongName(65536, 'z');
    const std::string garbageLong = LongName(65536, '\\');
    const std::string dotsLong = "\\\\" + LongName(65536, '.');
    struct Case {
        const char *what;
        const char *name;
    } cases[] = {
        {"null", nullptr},
        {"empty", ""},
        {"no leading backslashes", "srv1.corp\\lp1"},
        {"one leading backslash", "\\srv1.corp\\lp1"},
        {"no dot part", "\\\\srv1\\lp1"},
        {"only the server", "\\\\srv1"},
        {"ends after the colon", "\\\\srv1.NIS:"},
        {"empty domain", "\\\\srv1.\\lp1"},
        {"unknown printer", "\\\\srv1.corp\\nosuch"},
        {"unknown domain", "\\\\srv1.nosuch\\lp1"},
        {"domain of another kind", "\\\\srv1.DCE:corp\\lp1"},
        {"printer on another server", "\\\\srv2.corp\\lp1"},
        {"server differs in case from the printer's record", "\\\\srv2.corp\\lp3"},
        {"unknown server", "\\\\nosuch.corp"},
        {"printer named as a server", "\\\\lp1.corp"},
        {"64 KiB unknown printer", noSuchLong.c_str()},
        {"64 KiB of backslashes", garbageLong.c_str()},
        {"64 KiB of dots", dotsLong.c_str()},
        {"lead byte at the end", "\\\\srv1.corp\\lp\x81"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        HANDLE handle = reinterpret_cast<HANDLE>(kPoison);
        SetLastError(kPoison);
        EXPECT_FALSE(Open(c.name, &handle));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), GetLastError());
        EXPECT_EQ(reinterpret_cast<HANDLE>(kPoison), handle);
    }
    EXPECT_EQ(0, PrinterKeyCount());
}

// A failing name-service call refuses the name with ERROR_INVALID_NAME, not
// its own status, and leaves nothing allocated (the fixture checks).
TEST_F(OpenTest, NameServiceFailuresGiveInvalidName)
{
    struct Case {
        const char *function;
        const char *name;
    } cases[] = {
        {"NS_CreateDomainHandle", "\\\\srv1.corp\\lp1"},
        {"NS_SetDomain", "\\\\srv1.corp\\lp1"},
        {"NS_GetObject", "\\\\srv1.corp\\lp1"},
        {"NS_GetObject", "\\\\srv2.corp"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.function) + " " + c.name);
        SimInjectStatus(c.function, 1, -2);
        HANDLE handle = reinterpret_cast<HANDLE>(kPoison);
        SetLastError(kPoison);
        EXPECT_FALSE(Open(c.name, &handle));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), GetLastError());
        EXPECT_EQ(reinterpret_cast<HANDLE>(kPoison), handle);
        SimClearInjections();
    }
    EXPECT_EQ(0, PrinterKeyCount());
    std::vector<std::string> journal = JournalLines();
    EXPECT_LE(0, FindJournal(journal, "NS_FreeDomainHandle(")) << ::testing::PrintToString(journal);
}

TEST_F(OpenTest, NullHandlePointerIsRefused)
{
    SetLastError(kPoison);
    EXPECT_FALSE(Open("\\\\srv1.corp\\lp1", nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(0, PrinterKeyCount());
}

// A printer whose key path would not fit the path buffer opens without a key.
TEST_F(OpenTest, NamesTooLongForAKeyStillOpen)
{
    for (const std::string &printer : {LongName(2000, 'k'), LongName(65536, 'm')}) {
        SCOPED_TRACE(printer.size());
        const std::string name = "\\\\hq.office\\" + printer;
        HANDLE handle = nullptr;
        ASSERT_TRUE(Open(name.c_str(), &handle));
        EXPECT_TRUE(Close(handle));
    }
    EXPECT_EQ(0, PrinterKeyCount());
}

TEST_F(OpenTest, TheSameNameAlwaysGivesTheSameKey)
{
    HANDLE first = nullptr;
    HANDLE second = nullptr;
    ASSERT_TRUE(Open("\\\\srv2.corp", &first));
    ASSERT_TRUE(Open("\\\\srv2.corp\\", &second));
    EXPECT_NE(first, second);
    EXPECT_EQ(1, PrinterKeyCount());
    EXPECT_TRUE(Close(first));
    EXPECT_TRUE(Close(second));
}

TEST_F(OpenTest, MachineDefaultOfThePlugInSwitchIsCopied)
{
    struct Case {
        const char *what;
        DWORD type;
        DWORD data;
        DWORD expected;
    } cases[] = {
        {"machine value 1", REG_DWORD, 1, 1},
        {"machine value 7", REG_DWORD, 7, 7},
        {"machine value of another type", REG_SZ, 0x31, 0}, // the text "1"
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        HKEY machine;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(HKEY_LOCAL_MACHINE, kPrintAssistantKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &machine, nullptr));
        RegSetValueExA(machine, "QVZ_Use_PA", 0, c.type, reinterpret_cast<const BYTE *>(&c.data),
                       c.type == REG_SZ ? 2 : sizeof c.data);
        RegCloseKey(machine);
        DeleteTree(HKEY_CURRENT_USER, kPrintersKey);

        HANDLE handle = nullptr;
        ASSERT_TRUE(Open("\\\\srv1.corp\\lp1", &handle));
        DWORD usePA = kPoison;
        EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, KeyOf(",,srv1.corp,lp1"), "QVZ_Use_PA", &usePA));
        EXPECT_EQ(c.expected, usePA);
        EXPECT_TRUE(Close(handle));
    }
}

TEST_F(OpenTest, AKeyWithThePlugInSwitchIsNotRewritten)
{
    const std::string key = KeyOf(",,srv1.corp,lp1");
    HKEY printer;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &printer, nullptr));
    DWORD usePA = 1;
    DWORD filters = 0;
    RegSetValueExA(printer, "QVZ_Use_PA", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&usePA), sizeof usePA);
    RegSetValueExA(printer, "QVZ_Filters", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&filters),
                   sizeof filters);

    HANDLE handle = nullptr;
    ASSERT_TRUE(Open("\\\\srv1.corp\\lp1", &handle));
    EXPECT_TRUE(Close(handle));
    DWORD read = kPoison;
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, key, "QVZ_Filters", &read));
    EXPECT_EQ(0u, read);
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, key, "QVZ_Use_PA", &read));
    EXPECT_EQ(1u, read);

    // Without the switch, the next open writes both defaults again.
    RegDeleteValueA(printer, "QVZ_Use_PA");
    ASSERT_TRUE(Open("\\\\srv1.corp\\lp1", &handle));
    EXPECT_TRUE(Close(handle));
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, key, "QVZ_Filters", &read));
    EXPECT_EQ(3u, read);
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, key, "QVZ_Use_PA", &read));
    EXPECT_EQ(0u, read);
    RegCloseKey(printer);
}

TEST_F(OpenTest, TwoUsersOnOneMachineHaveSeparateKeys)
{
    const std::string key = KeyOf(",,srv1.NIS:eng,lp1");
    UserHive second(testName_ + ".second");
    user_->Activate();

    HANDLE handle = nullptr;
    ASSERT_TRUE(Open("\\\\srv1.NIS:eng\\lp1", &handle));
    EXPECT_TRUE(Close(handle));
    // The first user turns the plug-in on for this printer.
    HKEY first;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_ALL_ACCESS, &first));
    DWORD on = 1;
    RegSetValueExA(first, "QVZ_Use_PA", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&on), sizeof on);
    RegCloseKey(first);

    second.Activate();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key));
    ASSERT_TRUE(Open("\\\\srv1.NIS:eng\\lp1", &handle));
    EXPECT_TRUE(Close(handle));
    DWORD usePA = kPoison;
    EXPECT_TRUE(ReadDword(second.key(), key, "QVZ_Use_PA", &usePA));
    EXPECT_EQ(0u, usePA);
    EXPECT_TRUE(ReadDword(user_->key(), key, "QVZ_Use_PA", &usePA));
    EXPECT_EQ(1u, usePA);
    user_->Activate();
}

TEST_F(OpenTest, ClosePrinterRefusesWhatIsNotAnOpenHandle)
{
    HANDLE closed = nullptr;
    ASSERT_TRUE(Open("\\\\srv1.corp\\lp1", &closed));
    ASSERT_TRUE(Close(closed));
    // Other memory that begins with the handle's signature bytes is left untouched.
    uint32_t forged[64] = {'Q' | ('V' << 8) | ('Z' << 16)};
    uint32_t copy[64];
    memcpy(copy, forged, sizeof copy);

    struct Case {
        const char *what;
        HANDLE handle;
    } cases[] = {
        {"null", nullptr},
        {"closed handle", closed},
        {"other memory", forged},
        {"unmapped address", reinterpret_cast<HANDLE>(0x10)},
        {"invalid handle value", INVALID_HANDLE_VALUE},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(kPoison);
        EXPECT_FALSE(Close(c.handle));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    }
    EXPECT_EQ(0, memcmp(copy, forged, sizeof copy));
}

} // namespace
