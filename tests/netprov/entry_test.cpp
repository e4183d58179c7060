/*
 * The library as the router loads it: exports, capabilities, the provider
 * name taken from the router at attach, the string table, detach.
 */
#include "netprov_fixture.h"

namespace {

TEST_F(NetProvTest, ExportsByNameAndOrdinal)
{
    struct Export {
        const char *name;
        WORD ordinal;
    };
    const Export exports[] = {
        {"NPGetCaps", NP_ORDINAL_GETCAPS},
        {"NPOpenEnum", NP_ORDINAL_OPENENUM},
        {"NPEnumResource", NP_ORDINAL_ENUMRESOURCE},
        {"NPCloseEnum", NP_ORDINAL_CLOSEENUM},
        {"NPFormatNetworkName", NP_ORDINAL_FORMATNETWORKNAME},
    };
    for (const Export &e : exports) {
        SCOPED_TRACE(e.name);
        FARPROC byName = GetProcAddress(host.module(), e.name);
        ASSERT_NE(nullptr, byName);
        EXPECT_EQ(byName, GetProcAddress(host.module(), MAKEINTRESOURCEA(e.ordinal)));
    }
}

TEST_F(NetProvTest, GetCapsAnswers)
{
    const struct {
        DWORD index, answer;
    } cases[] = {
        {WNNC_SPEC_VERSION, 0x00050001},
        {WNNC_NET_TYPE, 0x00500000},
        {WNNC_DRIVER_VERSION, 0x00010000},
        {WNNC_DIALOG, WNNC_DLG_FORMATNETWORKNAME},
        {WNNC_ENUMERATION, WNNC_ENUM_GLOBAL},
        {WNNC_USER, 0},
        {WNNC_CONNECTION, 0},
        {WNNC_ADMIN, 0},
        {WNNC_START, 0},
        {0, 0},
        {0xFFFFFFFF, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(c.answer, host.getCaps(c.index));
    }
    // Capabilities need no name service.
    EXPECT_EQ(0, JournalCount(Journal(), "NS_Init"));
}

TEST_F(NetProvTest, ProviderNameComesFromTheRouterAtAttach)
{
    DWORD before = RouterProviderNameRequests();
    Reload("Quorvane Printers");
    EXPECT_EQ(before + 1, RouterProviderNameRequests());
    // Renaming afterwards does not reach the loaded provider: it copied the name.
    RouterSetProviderName("Renamed");

    HANDLE h = Open(nullptr, nullptr);
    EnumCall call = CallEnum(host, h, 1, 512);
    ASSERT_EQ(DWORD(WN_SUCCESS), call.status);
    ASSERT_EQ(1u, call.records.size());
    const Resource &r = call.records[0];
    EXPECT_EQ("Quorvane Printers", r.remote);
    EXPECT_EQ("Quorvane Printers", r.provider);
    EXPECT_EQ("", r.comment);
    EXPECT_TRUE(r.localNameNull);
    EXPECT_EQ(DWORD(RESOURCE_GLOBALNET), r.scope);
    EXPECT_EQ(DWORD(RESOURCETYPE_ANY), r.type);
    EXPECT_EQ(DWORD(RESOURCEDISPLAYTYPE_NETWORK), r.displayType);
    EXPECT_EQ(DWORD(RESOURCEUSAGE_CONTAINER), r.usage);
}

TEST_F(NetProvTest, RouterWithoutNameLeavesItEmpty)
{
    Reload(nullptr);
    HANDLE h = Open(nullptr, nullptr);
    EnumCall call = CallEnum(host, h, 1, 2 * kRecordBytes);
    ASSERT_EQ(DWORD(WN_SUCCESS), call.status) << call.layoutFault;
    ASSERT_EQ(1u, call.records.size());
    EXPECT_EQ("", call.records[0].remote);
    EXPECT_EQ("", call.records[0].provider);
    EXPECT_EQ(2 * kRecordBytes - (kRecordBytes + 3), call.freeBytes); // the record and three terminators
}

TEST_F(NetProvTest, StringTableHoldsTheKindLabels)
{
    char text[64] = {};
    EXPECT_EQ(10, LoadStringA(host.module(), 1, text, sizeof text));
    EXPECT_STREQ("NT Domains", text);
    EXPECT_EQ(11, LoadStringA(host.module(), 2, text, sizeof text));
    EXPECT_STREQ("NIS Domains", text);
}

TEST_F(NetProvTest, DetachStopsTheNameServiceStartedOrNot)
{
    // Never started.
    ASSERT_TRUE(host.unload());
    std::string journal = Journal();
    EXPECT_EQ(0, JournalCount(journal, "NS_Init"));
    EXPECT_EQ(1, JournalCount(journal, "NS_Term"));

    // Started by an enumeration.
    ASSERT_TRUE(host.load());
    SimJournalClear();
    HANDLE h = Open(nullptr, nullptr);
    ASSERT_EQ(DWORD(WN_SUCCESS), Close(h));
    ASSERT_TRUE(host.unload());
    journal = Journal();
    EXPECT_EQ(1, JournalCount(journal, "NS_Init"));
    EXPECT_EQ(1, JournalCount(journal, "NS_Term"));
    EXPECT_LT(journal.find("NS_Init"), journal.find("NS_Term"));
    ASSERT_TRUE(host.load());
}

} // namespace
