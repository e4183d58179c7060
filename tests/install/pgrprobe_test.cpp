/*
 * pgrprobe.dll against the simulated name service: locate_pgr copies the
 * host name that NS_LocatePGR answers, and nothing else of qvcore is used.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>
#include "journal.h"
#include "qvsim.h"

namespace {

using LocatePgr = int(WINAPI *)(char *);

constexpr BYTE kPoison = 0xCC;
constexpr size_t kBufferBytes = 512;
constexpr int32_t kFailure = -77;

std::vector<std::string> CallLines()
{
    std::vector<std::string> calls;
    for (const std::string &line : qvtest::JournalLines()) {
        if (line.rfind("CALL ", 0) == 0)
            calls.push_back(line);
    }
    return calls;
}

// The names a module imports from one library, read from its import table.
std::set<std::string> ImportsFrom(HMODULE module, const char *library, std::set<std::string> *libraries)
{
    std::set<std::string> names;
    auto base = reinterpret_cast<const BYTE *>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto desc = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(base + dir.VirtualAddress);
    for (; desc->Name != 0; ++desc) {
        const char *dll = reinterpret_cast<const char *>(base + desc->Name);
        libraries->insert(dll);
        if (lstrcmpiA(dll, library) != 0)
            continue;
        auto thunk = reinterpret_cast<const IMAGE_THUNK_DATA *>(
            base + (desc->OriginalFirstThunk ? desc->OriginalFirstThunk : desc->FirstThunk));
        for (; thunk->u1.AddressOfData != 0; ++thunk) {
            if (IMAGE_SNAP_BY_ORDINAL(thunk->u1.Ordinal))
                names.insert("#ordinal");
            else
                names.insert(
                    reinterpret_cast<const IMAGE_IMPORT_BY_NAME *>(base + thunk->u1.AddressOfData)->Name);
        }
    }
    return names;
}

class PgrProbeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(0, SimLoadDefaultNetwork());
        module_ = LoadLibraryA("pgrprobe.dll");
        ASSERT_NE(nullptr, module_);
        locate_ = reinterpret_cast<LocatePgr>(GetProcAddress(module_, "locate_pgr"));
        ASSERT_NE(nullptr, locate_);
        SimJournalClear();
    }

    void TearDown() override
    {
        EXPECT_EQ(0, SimLiveObjects(nullptr));
        EXPECT_EQ(0, SimOwnershipFaults());
        if (module_ != nullptr)
            FreeLibrary(module_);
    }

    HMODULE module_ = nullptr;
    LocatePgr locate_ = nullptr;
};

TEST_F(PgrProbeTest, CopiesWhatTheNameServiceAnswers)
{
    struct Case {
        const char *name;
        const char *host; // null: the name service leaves the answer null
        int32_t status;
        int result;
    };
    const std::string longest(255, 'h');
    const Case cases[] = {
        {"a name", "pgr1.corp.example", 0, 1},
        {"an empty name", "", 0, 1},
        {"no name with a failure status", nullptr, kFailure, 0},
        {"no name with a success status", nullptr, 0, 0},
        {"a name with a failure status", "pgr-backup", kFailure, 1},
        {"a long name", longest.c_str(), 0, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SimSetPgrHost(c.host, c.status);
        SimJournalClear();
        std::vector<char> buffer(kBufferBytes, static_cast<char>(kPoison));

        EXPECT_EQ(c.result, locate_(buffer.data()));

        const size_t written = c.host ? strlen(c.host) + 1 : 0;
        if (c.host) {
            EXPECT_EQ(0, memcmp(buffer.data(), c.host, written)) << "the name with its NUL";
        }
        for (size_t i = written; i < buffer.size(); ++i)
            ASSERT_EQ(kPoison, static_cast<BYTE>(buffer[i])) << "byte " << i << " written";

        std::vector<std::string> calls = CallLines();
        ASSERT_EQ(1u, calls.size()) << qvtest::JournalText();
        EXPECT_EQ(0u, calls[0].find("CALL NS_LocatePGR(&)")) << calls[0];
    }
}

TEST_F(PgrProbeTest, InjectedFailureLeavesTheBufferAlone)
{
    SimSetPgrHost("pgr1", 0);
    SimInjectStatus("NS_LocatePGR", 1, kFailure);
    std::vector<char> buffer(kBufferBytes, static_cast<char>(kPoison));
    EXPECT_EQ(0, locate_(buffer.data()));
    for (size_t i = 0; i < buffer.size(); ++i)
        ASSERT_EQ(kPoison, static_cast<BYTE>(buffer[i])) << "byte " << i << " written";
    ASSERT_EQ(1u, CallLines().size()) << qvtest::JournalText();
    SimClearInjections();
}

TEST_F(PgrProbeTest, NullBufferIsRefusedWithoutAsking)
{
    SimSetPgrHost("pgr1", 0);
    EXPECT_EQ(0, locate_(nullptr));
    EXPECT_EQ(0u, CallLines().size()) << qvtest::JournalText();
}

// The library's only link to the core library is NS_LocatePGR.
TEST_F(PgrProbeTest, ImportsOnlyNsLocatePgr)
{
    std::set<std::string> libraries;
    EXPECT_EQ(std::set<std::string> {"NS_LocatePGR"}, ImportsFrom(module_, "qvcore.dll", &libraries));
    for (const char *other : {"qvdpa.dll", "qvattr.dll", "qvsimnet.dll"})
        for (const std::string &lib : libraries)
            EXPECT_NE(0, lstrcmpiA(lib.c_str(), other)) << lib;
}

} // namespace
