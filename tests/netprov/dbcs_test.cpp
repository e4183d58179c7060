/*
 * Run under the Japanese ANSI code page (932): names holding double-byte
 * characters whose trail byte equals '\' or '.' are split at the right
 * place; long names grow the provider's texts past their first 128 bytes.
 */
#include "netprov_fixture.h"

namespace {

// "\x81\x5c" is one character whose trail byte is '\'; "\x81." a pair
// whose second byte is '.'.
const std::string kServerBackslash = "srv\x81\x5c";
const std::string kPrinterBackslash = "lp\x81\x5c";
const std::string kServerDot = "s\x81.x";
const std::string kLongPrinter(300, 'p');
const std::string kLongServer(200, 's');

std::string EdgeNetwork()
{
    return "kinds 0 2\n"
           "domain 2 sales\n"
           "printer "
        + kPrinterBackslash + " " + kServerBackslash
        + "\n"
          "printer q "
        + kServerDot
        + "\n"
          "printer "
        + kLongPrinter + " " + kLongServer + "\n";
}

class NetProvDbcsTest : public NetProvTest {
protected:
    void SetUp() override
    {
        m_network = EdgeNetwork();
        NetProvTest::SetUp();
    }
    const char *NetworkText() const override { return m_network.c_str(); }

private:
    std::string m_network;
};

std::string Format(RouterHost &host, const std::string &remote)
{
    char text[1024] = {};
    DWORD length = sizeof text;
    DWORD status = host.formatName(const_cast<char *>(remote.c_str()), text, &length, 0, 0);
    EXPECT_EQ(DWORD(WN_SUCCESS), status) << remote;
    return text;
}

TEST_F(NetProvDbcsTest, RunsUnderCodePage932)
{
    ASSERT_EQ(932u, GetACP());
    ASSERT_TRUE(IsDBCSLeadByte(0x81));
}

TEST_F(NetProvDbcsTest, DomainListingSplitsNamesAtWholeCharacters)
{
    const std::string printer1 = "\\\\" + kServerBackslash + ".sales\\" + kPrinterBackslash;
    const std::string printer2 = "\\\\" + kServerDot + ".sales\\q";
    const std::string printer3 = "\\\\" + kLongServer + ".sales\\" + kLongPrinter;
    const std::string server1 = "~Aa" + kServerBackslash + ".sales";
    const std::string server2 = "~Aa" + kServerDot + ".sales";
    const std::string server3 = "~Aa" + kLongServer + ".sales";
    HANDLE h = Open(kProviderName, "~Aa.sales");
    EnumAll all = ReadAll(host, h, 300);
    EXPECT_EQ("", all.fault);
    EXPECT_EQ((std::vector<std::string> {printer1, printer2, printer3, server1, server2, server3}),
              Names(all.records));

    // Each server container opens that server's printers.
    const std::pair<std::string, std::string> servers[]
        = {{server1, printer1}, {server2, printer2}, {server3, printer3}};
    for (const auto &s : servers) {
        SCOPED_TRACE(s.first);
        HANDLE server = Open(kProviderName, s.first.c_str());
        EnumAll printers = ReadAll(host, server, 1024);
        EXPECT_EQ("", printers.fault);
        EXPECT_EQ(std::vector<std::string> {s.second}, Names(printers.records));
    }

    // Display names.
    EXPECT_EQ(kPrinterBackslash, Format(host, printer1));
    EXPECT_EQ("q", Format(host, printer2));
    EXPECT_EQ(kLongPrinter, Format(host, printer3));
    EXPECT_EQ(kServerBackslash, Format(host, server1));
    EXPECT_EQ(kServerDot, Format(host, server2));
    EXPECT_EQ(kLongServer, Format(host, server3));
    // The kind labels load under this code page too.
    EXPECT_EQ("NT Domains", Format(host, "~Aa."));
}

TEST_F(NetProvDbcsTest, LeadByteAtTheEndOfANameStandsAlone)
{
    // A lone lead byte before the terminator: no trail byte to take with it.
    EXPECT_EQ("a\x81", Format(host, "\\\\s.d\\a\x81"));
    EXPECT_EQ("~Aas\x81", Format(host, "~Aas\x81"));
    EXPECT_EQ("\\\\s\x81", Format(host, "\\\\s\x81"));
    HANDLE h = reinterpret_cast<HANDLE>(kSentinel);
    EXPECT_EQ(DWORD(WN_NOT_CONTAINER), host.open(kProviderName, "~Aas\x81", &h));
}

} // namespace
