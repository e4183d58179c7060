// The driver queries through the provider's table: the records of this
// platform's driver description (3301) out of a list with several
// platforms, bare file names, the dependent files as a multi-string in
// reverse order, the driver directory, and the refusals.
#include "queue_fixture.h"

namespace {

class DriverTest : public QueueTest {
protected:
    BOOL Driver(HANDLE printer, const char *environment, DWORD level, BYTE *buffer, DWORD size, DWORD *needed)
    {
        SetLastError(kPoison);
        return provider_.table.fpGetPrinterDriver(printer, const_cast<LPSTR>(environment), level, buffer,
                                                  size, needed);
    }

    BOOL Directory(const char *name, BYTE *buffer, DWORD size, DWORD *needed)
    {
        SetLastError(kPoison);
        return provider_.table.fpGetPrinterDriverDirectory(
            const_cast<LPSTR>(name), const_cast<LPSTR>("Windows 4.0"), 1, buffer, size, needed);
    }
};

// The texts of a multi-string, up to its empty string.
std::vector<std::string> MultiString(const char *block)
{
    std::vector<std::string> texts;
    for (const char *at = block; at && *at; at += strlen(at) + 1)
        texts.push_back(at);
    return texts;
}

// Levels 1 to 3 from the platform-3301 description of a list that also
// holds NT and UNIX descriptions: level 1 the bare name read as text, 2 and
// 3 the simple name as it is; paths cut to bare file names; the dependent
// files C, B, A (given A, B, C) with the closing empty string.
TEST_F(DriverTest, RecordsOfThisPlatformsDescription)
{
    HANDLE lp1 = OpenOk(kLp1);
    Answer answer = RunCall(GetDriverCall(lp1, 1), 512);
    ASSERT_TRUE(answer.ok) << answer.error;
    const auto *one = reinterpret_cast<const DRIVER_INFO_1A *>(answer.bytes.data());
    EXPECT_EQ("\"LaserWriter 4\"", Text(one->pName));
    EXPECT_EQ(sizeof(DRIVER_INFO_1A) + strlen("LaserWriter 4") + 1, answer.needed);

    answer = RunCall(GetDriverCall(lp1, 2), 512);
    ASSERT_TRUE(answer.ok) << answer.error;
    const auto *two = reinterpret_cast<const DRIVER_INFO_2A *>(answer.bytes.data());
    EXPECT_EQ(4u, two->cVersion);
    EXPECT_EQ("\"Tamsell\\LaserWriter 4\"", Text(two->pName));
    EXPECT_EQ("\"Windows 4.0\"", Text(two->pEnvironment));
    EXPECT_EQ("\"TLASER4.DRV\"", Text(two->pDriverPath));
    EXPECT_EQ("\"TLASER4.PPD\"", Text(two->pDataFile));
    EXPECT_EQ("\"TLUI.DLL\"", Text(two->pConfigFile));

    answer = RunCall(GetDriverCall(lp1, 3), 512);
    ASSERT_TRUE(answer.ok) << answer.error;
    const auto *three = reinterpret_cast<const DRIVER_INFO_3A *>(answer.bytes.data());
    EXPECT_EQ(4u, three->cVersion);
    EXPECT_EQ("\"TLASER4.DRV\"", Text(three->pDriverPath));
    EXPECT_EQ("\"TLASER.HLP\"", Text(three->pHelpFile));
    EXPECT_EQ("\"TLMON\"", Text(three->pMonitorName));
    EXPECT_EQ("\"RAW\"", Text(three->pDefaultDataType));
    EXPECT_EQ((std::vector<std::string> {"C.DLL", "B.DLL", "A.DRV"}), MultiString(three->pDependentFiles));
    // The block lies right below the help file's text: its closing empty
    // string first, then A, B and C, each below the one before.
    EXPECT_EQ(three->pHelpFile - 1 - strlen("A.DRV") - 1 - strlen("B.DLL") - 1 - strlen("C.DLL") - 1,
              three->pDependentFiles);
    EXPECT_EQ('\0', three->pHelpFile[-1]);
    const char *end = reinterpret_cast<const char *>(answer.bytes.data()) + answer.size;
    // The texts in field order from the end: name, environment, the three
    // files, help, then the dependent files (terminator first), monitor, data type.
    const size_t texts = strlen("Tamsell\\LaserWriter 4") + strlen("Windows 4.0") + strlen("TLASER4.DRV")
        + strlen("TLASER4.PPD") + strlen("TLUI.DLL") + strlen("TLASER.HLP") + 1 + strlen("A.DRV")
        + strlen("B.DLL") + strlen("C.DLL") + strlen("TLMON") + strlen("RAW") + 11;
    EXPECT_EQ(sizeof(DRIVER_INFO_3A) + texts, answer.needed);
    EXPECT_EQ(end - texts, three->pDefaultDataType);
    EXPECT_TRUE(Close(lp1));
}

// A file name that is empty, or a path that ends in a backslash, reads as
// the empty text; in the dependent files it is left out, since it would end
// the multi-string early and hide the names after it.
TEST_F(DriverTest, EmptyFileNamesAreLeftOutOfTheDependentFiles)
{
    HANDLE lp5 = OpenOk("\\\\srv2.corp\\lp5");
    const Answer answer = RunCall(GetDriverCall(lp5, 3), 512);
    ASSERT_TRUE(answer.ok) << answer.error;
    const auto *three = reinterpret_cast<const DRIVER_INFO_3A *>(answer.bytes.data());
    EXPECT_EQ("\"\"", Text(three->pDriverPath));
    EXPECT_EQ((std::vector<std::string> {"B.DLL", "A.DRV"}), MultiString(three->pDependentFiles));
    // The name, the environment, the empty driver path and the block of two
    // names; the absent files take their pointers only.
    EXPECT_EQ(sizeof(DRIVER_INFO_3A) + 4 + 12 + 1 + (1 + 6 + 6), answer.needed);
    EXPECT_EQ(nullptr, three->pDataFile);
    EXPECT_EQ(nullptr, three->pHelpFile);
    EXPECT_TRUE(Close(lp5));
}

// A list without a description for this platform: ERROR_FILE_NOT_FOUND and
// needed left as it was.
TEST_F(DriverTest, NoDescriptionForThisPlatform)
{
    HANDLE lp2 = OpenOk("\\\\srv1.corp\\lp2");
    HANDLE lp4 = OpenOk("\\\\srv2.corp\\lp4");
    for (HANDLE printer : {lp2, lp4}) {
        for (DWORD level : {1, 3}) {
            SCOPED_TRACE(level);
            BYTE buffer[256];
            DWORD needed = kSentinel;
            EXPECT_FALSE(Driver(printer, "Windows 4.0", level, buffer, sizeof buffer, &needed));
            EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
            EXPECT_EQ(kSentinel, needed);
        }
    }
    EXPECT_TRUE(Close(lp2));
    EXPECT_TRUE(Close(lp4));
}

// Refusals, each before any server traffic, in the order of their checks.
TEST_F(DriverTest, RefusalsBeforeAnyServerTraffic)
{
    HANDLE lp1 = OpenOk(kLp1);
    HANDLE server = OpenOk("\\\\srv1.corp");
    HANDLE closed = OpenOk(kLp1);
    EXPECT_TRUE(Close(closed));
    BYTE buffer[64];
    DWORD needed = kSentinel;
    struct Case {
        const char *what;
        HANDLE printer;
        const char *environment;
        DWORD level;
        BYTE *buffer;
        DWORD size;
        DWORD *needed;
        DWORD error;
    } cases[] = {
        {"server handle", server, "Windows 4.0", 1, buffer, sizeof buffer, &needed, ERROR_INVALID_NAME},
        {"other environment", lp1, "Windows NT x86", 1, buffer, sizeof buffer, &needed, ERROR_INVALID_NAME},
        {"no environment", lp1, nullptr, 1, buffer, sizeof buffer, &needed, ERROR_INVALID_NAME},
        {"null buffer with a size", lp1, "Windows 4.0", 1, nullptr, 10, &needed, ERROR_INVALID_PARAMETER},
        {"null needed", lp1, "Windows 4.0", 1, buffer, sizeof buffer, nullptr, ERROR_INVALID_PARAMETER},
        {"level 0", lp1, "Windows 4.0", 0, buffer, sizeof buffer, &needed, ERROR_INVALID_LEVEL},
        {"level 4", lp1, "Windows 4.0", 4, buffer, sizeof buffer, &needed, ERROR_INVALID_LEVEL},
        {"null handle", nullptr, "Windows 4.0", 1, buffer, sizeof buffer, &needed, ERROR_INVALID_HANDLE},
        {"closed handle", closed, "Windows 4.0", 1, buffer, sizeof buffer, &needed, ERROR_INVALID_HANDLE},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SimJournalClear();
        EXPECT_FALSE(Driver(c.printer, c.environment, c.level, c.buffer, c.size, c.needed));
        EXPECT_EQ(c.error, GetLastError());
        EXPECT_EQ(kSentinel, needed);
        EXPECT_EQ("", qvtest::JournalText());
    }
    for (auto *refuse : {provider_.table.fpEnumPrinterDrivers}) {
        DWORD returned = kSentinel;
        SetLastError(kPoison);
        EXPECT_FALSE(
            refuse(nullptr, const_cast<LPSTR>("Windows 4.0"), 1, buffer, sizeof buffer, &needed, &returned));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), GetLastError());
    }
    SetLastError(kPoison);
    EXPECT_FALSE(provider_.table.fpGetPrintProcessorDirectory(
        const_cast<LPSTR>(kLp1), const_cast<LPSTR>("Windows 4.0"), 1, buffer, sizeof buffer, &needed));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), GetLastError());
    EXPECT_EQ(kSentinel, needed);
    EXPECT_TRUE(Close(server));
    EXPECT_TRUE(Close(lp1));
}

// The directory of the first dependent file; none for a first file without
// a directory part, an unknown printer or no name.
TEST_F(DriverTest, TheDriverDirectoryComesFromTheFirstDependentFile)
{
    const std::string directory = "C:\\WINDOWS\\SYSTEM";
    DWORD needed = kSentinel;
    EXPECT_FALSE(Directory(kLp1, nullptr, 0, &needed));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(directory.size() + 1, needed);

    // A null buffer holds nothing, whatever size comes with it.
    needed = kSentinel;
    EXPECT_FALSE(Directory(kLp1, nullptr, 4096, &needed));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(directory.size() + 1, needed);

    std::vector<BYTE> buffer(needed + kGuard, kPoisonByte);
    needed = kSentinel;
    EXPECT_FALSE(Directory(kLp1, buffer.data(), static_cast<DWORD>(directory.size()), &needed));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(std::vector<BYTE>(buffer.size(), kPoisonByte), buffer);
    EXPECT_TRUE(Directory(kLp1, buffer.data(), static_cast<DWORD>(directory.size() + 1), &needed));
    EXPECT_EQ(directory, reinterpret_cast<const char *>(buffer.data()));
    EXPECT_EQ(kPoisonByte, buffer[directory.size() + 1]);

    for (const char *name : {"\\\\srv2.corp\\lp3", "\\\\srv2.corp\\nosuch", "\\\\srv1.corp\\lp2"}) {
        SCOPED_TRACE(name);
        needed = kSentinel;
        EXPECT_FALSE(Directory(name, buffer.data(), static_cast<DWORD>(buffer.size()), &needed));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), GetLastError());
        EXPECT_EQ(kSentinel, needed);
    }
    EXPECT_FALSE(Directory(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()), &needed));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), GetLastError());
    EXPECT_FALSE(Directory(kLp1, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

} // namespace
