/*
 * The whole tree of the default simulated network, walked from the top as
 * the router does, level by level, with buffers of every size from the
 * smallest that fits a record upward: every record comes exactly once, in
 * order, and every printer name names a printer of the name service.
 */
#include "netprov_fixture.h"

#include <map>
#include <set>
#include <sstream>

namespace {

// A printer as the network description states it.
struct PrinterEntry {
    int kind;
    std::string domain, name, server;
};

// Reads the "domain", "printer" and "generate" lines of a description.
std::vector<PrinterEntry> ParsePrinters(const char *description,
                                        std::vector<std::pair<int, std::string>> &domains)
{
    std::vector<PrinterEntry> printers;
    std::istringstream lines(description);
    std::string line;
    int kind = -1;
    std::string domain;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "domain") {
            words >> kind >> domain;
            domains.push_back({kind, domain});
        } else if (command == "printer") {
            PrinterEntry p {kind, domain, "", ""};
            words >> p.name >> p.server;
            printers.push_back(p);
        } else if (command == "generate") {
            long count = 0, servers = 0;
            std::string prefix = "g", option;
            words >> count >> servers >> option;
            if (option.rfind("prefix=", 0) == 0)
                prefix = option.substr(7);
            for (long i = 0; i < count; ++i)
                printers.push_back({kind, domain, prefix + "prn" + std::to_string(i),
                                    prefix + "srv" + std::to_string(i % servers)});
        }
    }
    return printers;
}

const char *PrefixOf(int kind)
{
    return kind == NS_KIND_NIS ? "NIS:" : "";
}

std::string PrinterName(const PrinterEntry &p)
{
    return "\\\\" + p.server + "." + PrefixOf(p.kind) + p.domain + "\\" + p.name;
}

// What each container must return, keyed by the container's remote name
// ("" for the top, "*" for the provider's entry).
std::map<std::string, std::vector<std::string>> ExpectedTree(const char *description)
{
    std::vector<std::pair<int, std::string>> domains;
    std::vector<PrinterEntry> printers = ParsePrinters(description, domains);
    std::map<std::string, std::vector<std::string>> tree;
    tree[""] = {kProviderName};
    tree["*"] = {"~Aa.", "~Aa.NIS:"};
    for (int kind : {NS_KIND_DEFAULT, NS_KIND_NIS}) {
        std::string kindName = std::string("~Aa.") + PrefixOf(kind);
        tree[kindName];
        for (const auto &d : domains) {
            if (d.first != kind)
                continue;
            std::string domainName = kindName + d.second;
            tree[kindName].push_back(domainName);
            std::vector<std::string> &children = tree[domainName];
            std::vector<std::string> servers;
            for (const PrinterEntry &p : printers) {
                if (p.kind != kind || p.domain != d.second)
                    continue;
                children.push_back(PrinterName(p));
                if (std::find(servers.begin(), servers.end(), p.server) == servers.end())
                    servers.push_back(p.server);
            }
            for (const std::string &s : servers) {
                std::string serverName = "~Aa" + s + "." + PrefixOf(kind) + d.second;
                children.push_back(serverName);
                for (const PrinterEntry &p : printers) {
                    if (p.kind == kind && p.domain == d.second && p.server == s)
                        tree[serverName].push_back(PrinterName(p));
                }
            }
        }
    }
    return tree;
}

class NetProvWalkTest : public NetProvTest {
protected:
    const char *NetworkText() const override { return SimDefaultNetworkText(); }
};

TEST_F(NetProvWalkTest, WholeTreeWithEveryBufferSize)
{
    const auto expected = ExpectedTree(SimDefaultNetworkText());
    // Smallest and largest demand of a record, and the most one level needs.
    DWORD smallest = 0xFFFFFFFF, largestLevel = 0;
    for (const auto &node : expected) {
        DWORD level = 0;
        for (const std::string &name : node.second) {
            DWORD bytes = RecordBytes(name, kProviderName) + 1;
            smallest = std::min(smallest, bytes);
            level += bytes;
        }
        largestLevel = std::max(largestLevel, level);
    }
    ASSERT_GT(expected.at("~Aa.").size(), 0u);

    int walks = 0;
    for (DWORD size = smallest; size <= largestLevel + 8; ++size) {
        SCOPED_TRACE(size);
        Walk walk = WalkTree(host, size);
        ASSERT_EQ("", walk.fault);
        ASSERT_EQ(expected, walk.tree);
        for (const Resource &p : walk.printers) {
            ASSERT_EQ(DWORD(RESOURCETYPE_PRINT), p.type);
            ASSERT_EQ(DWORD(RESOURCEDISPLAYTYPE_SHARE), p.displayType);
        }
        ASSERT_EQ(0, LiveNameServiceObjects()) << LeakReport();
        ++walks;
    }
    EXPECT_GT(walks, 100);
    EXPECT_EQ(0, SimOwnershipFaults());
}

// Printer names have the form that OpenPrinter of the print provider
// parses: two backslashes, server, '.', kind prefix, domain, backslash,
// printer; and each names a printer that the name service finds.
TEST_F(NetProvWalkTest, PrinterNamesNameNameServicePrinters)
{
    std::vector<std::pair<int, std::string>> domains;
    std::vector<PrinterEntry> printers = ParsePrinters(SimDefaultNetworkText(), domains);
    std::set<std::string> known;
    for (const PrinterEntry &p : printers) {
        if (p.kind == NS_KIND_DEFAULT || p.kind == NS_KIND_NIS)
            known.insert(PrinterName(p));
    }
    Walk walk = WalkTree(host, 4096);
    ASSERT_EQ("", walk.fault);
    std::multiset<std::string> seen;
    for (const Resource &p : walk.printers) {
        const std::string &name = p.remote;
        ASSERT_EQ(0u, name.rfind("\\\\", 0)) << name;
        size_t dot = name.find('.', 2);
        size_t slash = name.find('\\', 2);
        ASSERT_NE(std::string::npos, dot) << name;
        ASSERT_NE(std::string::npos, slash) << name;
        EXPECT_LT(dot, slash) << name;
        EXPECT_EQ(1u, known.count(name)) << name;
        seen.insert(name);
    }
    // Each printer of a browsed domain appears under its domain and under its server.
    for (const std::string &name : known)
        EXPECT_EQ(2u, seen.count(name)) << name;
}

// Several router threads walk the tree at once, each on its own handles.
struct Walker {
    RouterHost *host;
    DWORD size;
    HANDLE start;
    std::map<std::string, std::vector<std::string>> tree;
    std::string fault;
};

DWORD WINAPI WalkThread(LPVOID parameter)
{
    Walker *w = static_cast<Walker *>(parameter);
    WaitForSingleObject(w->start, INFINITE);
    for (int i = 0; i < 20 && w->fault.empty(); ++i) {
        Walk walk = WalkTree(*w->host, w->size + DWORD(i));
        w->fault = walk.fault;
        w->tree = walk.tree;
    }
    return 0;
}

TEST_F(NetProvWalkTest, ConcurrentWalksFromFreshStart)
{
    const auto expected = ExpectedTree(SimDefaultNetworkText());
    const int kThreads = 4;
    const DWORD kDeadlockMs = 30000;
    HANDLE start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::vector<Walker> walkers;
    for (int i = 0; i < kThreads; ++i)
        walkers.push_back({&host, DWORD(80 + 150 * i), start, {}, {}});
    std::vector<HANDLE> threads;
    for (Walker &w : walkers)
        threads.push_back(CreateThread(nullptr, 0, WalkThread, &w, 0, nullptr));
    SetEvent(start);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(DWORD(threads.size()), threads.data(), TRUE, kDeadlockMs))
        << "deadlock";
    for (HANDLE t : threads)
        CloseHandle(t);
    CloseHandle(start);
    for (const Walker &w : walkers) {
        EXPECT_EQ("", w.fault);
        EXPECT_EQ(expected, w.tree);
    }
    EXPECT_EQ(1, JournalCount(Journal(), "NS_Init"));
}

} // namespace
