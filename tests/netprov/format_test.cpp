/*
 * NPFormatNetworkName: the display text of each form of network name, the
 * length protocol, and bad input.
 */
#include "netprov_fixture.h"

namespace {

struct FormatCase {
    const char *remote;
    const char *display;
};

const FormatCase kFormatCases[] = {
    {"~Aa.", "NT Domains"},
    {"~Aa.NIS:", "NIS Domains"},
    {"~Aa.NIS:eng", "eng"},
    {"~Aa.sales", "sales"},
    {"~Aasrv1.NIS:eng", "srv1"},
    {"\\\\srv1.NIS:eng\\lp2", "lp2"},
    {"~Aasrv1", "~Aasrv1"},
    {kProviderName, kProviderName},
    {"\\\\srv1.sales", "\\\\srv1.sales"}, // no printer part
    {"\\\\srv1.sales\\", ""},
    {"\\\\srv1.sales\\50%s\\x", "50%s\\x"},
    {"~Aa.DCE:x", "DCE:x"}, // not a kind of ours: a default-kind domain
    {"", ""},
};

TEST_F(NetProvTest, DisplayTextsAndExactLengths)
{
    for (const FormatCase &c : kFormatCases) {
        SCOPED_TRACE(c.remote);
        const DWORD needed = DWORD(strlen(c.display) + 1);
        char text[128];

        // One byte short: the length needed, the text untouched.
        memset(text, kPoison, sizeof text);
        DWORD length = needed - 1;
        EXPECT_EQ(DWORD(WN_MORE_DATA), host.formatName(const_cast<char *>(c.remote), text, &length, 0, 0));
        EXPECT_EQ(needed, length);
        EXPECT_EQ(BYTE(kPoison), BYTE(text[0]));

        // Exactly enough, and more than enough: the text, the length left alone.
        for (DWORD given : {needed, DWORD(sizeof text)}) {
            memset(text, kPoison, sizeof text);
            length = given;
            ASSERT_EQ(DWORD(WN_SUCCESS),
                      host.formatName(const_cast<char *>(c.remote), text, &length, 0x1234, 7));
            EXPECT_STREQ(c.display, text);
            EXPECT_EQ(given, length);
            EXPECT_EQ(BYTE(kPoison), BYTE(text[needed])) << "written past the terminator";
        }
    }
}

TEST_F(NetProvTest, FormatLengthOfFourForAServer)
{
    char text[8] = "xxxxxxx";
    DWORD length = 4;
    EXPECT_EQ(DWORD(WN_MORE_DATA),
              host.formatName(const_cast<char *>("~Aasrv1.NIS:eng"), text, &length, 0, 0));
    EXPECT_EQ(5u, length);
    EXPECT_STREQ("xxxxxxx", text);
    EXPECT_EQ(DWORD(WN_SUCCESS), host.formatName(const_cast<char *>("~Aasrv1.NIS:eng"), text, &length, 0, 0));
    EXPECT_STREQ("srv1", text);
}

TEST_F(NetProvTest, FormatRefusesMissingPointers)
{
    char text[16];
    DWORD length = sizeof text;
    EXPECT_EQ(DWORD(WN_BAD_POINTER), host.formatName(nullptr, text, &length, 0, 0));
    EXPECT_EQ(DWORD(WN_BAD_POINTER), host.formatName(const_cast<char *>("~Aa."), text, nullptr, 0, 0));
    EXPECT_EQ(DWORD(WN_BAD_POINTER), host.formatName(const_cast<char *>("~Aa."), nullptr, &length, 0, 0));
    // Without a buffer, a length of 0 still learns the size.
    length = 0;
    EXPECT_EQ(DWORD(WN_MORE_DATA), host.formatName(const_cast<char *>("~Aa."), nullptr, &length, 0, 0));
    EXPECT_EQ(11u, length);
}

TEST_F(NetProvTest, FormatStartsTheNameServiceOnce)
{
    char text[64];
    for (const FormatCase &c : kFormatCases) {
        DWORD length = sizeof text;
        host.formatName(const_cast<char *>(c.remote), text, &length, 0, 0);
    }
    std::string journal = Journal();
    EXPECT_EQ(1, JournalCount(journal, "NS_Init"));
    EXPECT_EQ(1, JournalCount(journal, "NS_ListSupportedEnv"));
}

} // namespace
