// Printer names under the Shift-JIS code page (932): a trail byte equal to
// '\' or '.' belongs to its character and never separates the name.
#include "fixture.h"
#include "printer_handle.h"

namespace {

// 0x95 0x5C is one character (U+8868) whose trail byte is '\';
// 0x83 0x5C another (U+30BD). 0x81 followed by '.' is stepped over as one
// character as well, since 0x81 is a lead byte.
const char kServer[] = "\x95\x5c";
const char kPrinter[] = "\x83\x5c";

TEST(ShiftJis, TheProcessRunsUnderCodePage932)
{
    EXPECT_EQ(932u, GetACP());
    EXPECT_TRUE(IsDBCSLeadByte(0x95));
    EXPECT_TRUE(IsDBCSLeadByte(0x81));
}

TEST(ShiftJis, TrailBytesNeverSeparate)
{
    struct Case {
        const char *name;
        const char *server;
        const char *domain;
        const char *printer;
    } cases[] = {
        {"\\\\\x95\x5c.corp\\\x83\x5c", "\x95\x5c", "corp", "\x83\x5c"},
        {"\\\\a\x81.b.corp\\p", "a\x81.b", "corp", "p"},
        {"\\\\srv.NIS:\x95\x5c\x81.x\\p\x95\x5c", "srv", "\x95\x5c\x81.x", "p\x95\x5c"},
        // A lead byte right before the end stands alone and nothing is read past it.
        {"\\\\srv.corp\\p\x95", "srv", "corp", "p\x95"},
        {"\\\\srv\x95", "srv\x95", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ParsedPrinterName parsed;
        ASSERT_TRUE(SplitPrinterName(c.name, &parsed));
        EXPECT_EQ(c.server, parsed.server.str());
        EXPECT_EQ(c.domain, parsed.domain.str());
        EXPECT_EQ(c.printer, parsed.printer.str());
    }
}

class ShiftJisOpen : public ProviderTest { };

TEST_F(ShiftJisOpen, OpensADoubleByteNameWithItsKey)
{
    const std::string network = std::string("domain 2 corp\nserver ") + kServer + "\nprinter " + kPrinter
        + " " + kServer + "\nprinter x\x81.y " + kServer + "\n";
    ASSERT_EQ(0, SimLoadNetwork(network.c_str()));
    LoadProvider();

    const std::string name = std::string("\\\\") + kServer + ".corp\\" + kPrinter;
    HANDLE handle = nullptr;
    SetLastError(kPoison);
    ASSERT_TRUE(Open(name.c_str(), &handle)) << GetLastError();
    std::vector<std::string> journal = JournalLines();
    EXPECT_LE(0, FindJournal(journal, std::string("NS_GetObject(0,\"") + kPrinter + "\""))
        << ::testing::PrintToString(journal);
    EXPECT_TRUE(Close(handle));

    // One key whose name holds both characters whole: no comma for the trail
    // bytes, and no subkey split at them.
    const wchar_t wideKey[] = L"Software\\Tamsell\\Quorvane\\CurrentVersion\\PRINTERS\\,,\x8868.corp,\x30bd";
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, wideKey, 0, KEY_READ, &key));
    DWORD usePA = kPoison;
    DWORD size = sizeof usePA;
    EXPECT_EQ(
        ERROR_SUCCESS,
        RegQueryValueExW(key, L"QVZ_Use_PA", nullptr, nullptr, reinterpret_cast<BYTE *>(&usePA), &size));
    EXPECT_EQ(0u, usePA);
    RegCloseKey(key);

    // A printer whose name has '.' after a lead byte, and the server given whole.
    const std::string dotted = std::string("\\\\") + kServer + ".corp\\x\x81.y";
    ASSERT_TRUE(Open(dotted.c_str(), &handle));
    EXPECT_TRUE(Close(handle));
    // A lead byte takes the '.' after it as its trail byte: this name has no domain.
    SetLastError(kPoison);
    EXPECT_FALSE(Open("\\\\\x95.corp", &handle));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), GetLastError());
}

} // namespace
