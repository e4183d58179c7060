// Shared fixture of the print-queue tests: the provider loaded as the
// spooler loads it, over a network whose printers, jobs and drivers have
// known attributes, with cache settings the test chooses; and readers of
// the records that the queries write.
#pragma once

#include "print_fixture.h"
#include "qvdpa.h"

#include <functional>
#include <string>
#include <vector>

extern const char kQueueNetwork[];
extern const char kLp1[]; // "\\srv1.corp\lp1"

// The bytes a test puts round a buffer, to see what a call wrote.
constexpr BYTE kPoisonByte = 0xA5;
constexpr DWORD kGuard = 16; // poisoned bytes after the buffer the call is given
constexpr DWORD kSentinel = 0x5A5A5A5A;
constexpr DWORD kLongTimeout = 3600000; // no entry expires during a test

// What one buffer-returning call answered.
struct Answer {
    BOOL ok = FALSE;
    DWORD error = 0;
    DWORD needed = kSentinel;
    DWORD returned = kSentinel;
    DWORD size = 0; // the size the call was given
    bool nullBuffer = false;
    std::vector<BYTE> bytes; // the buffer with kGuard poisoned bytes after it
    bool GuardIntact() const;
    bool Untouched() const; // every byte still poison
};

// One of the queries at one level: calls it on a buffer of its own.
struct LevelCall {
    std::string name;
    size_t recordSize;           // fixed part of one record
    std::vector<size_t> strings; // offsets of the record's pointer fields
    std::function<BOOL(BYTE *buffer, DWORD size, DWORD *needed, DWORD *returned)> call;
};

// Runs the call on a poisoned buffer of size bytes (or a null buffer given
// size), with the last error and the counts poisoned first.
Answer RunCall(const LevelCall &call, DWORD size, bool nullBuffer = false);

// The answer's records with each pointer field replaced by its distance
// from the end of the buffer, and the text area: what must be the same for
// a buffer of exactly the size needed and a larger one.
std::vector<BYTE> Normalized(const LevelCall &call, const Answer &answer, DWORD records);

// Each pointer field of the answer's records is null or points into the
// buffer given.
::testing::AssertionResult PointersInside(const LevelCall &call, const Answer &answer, DWORD records);

// A SYSTEMTIME as "Y-M-D h:m:s dow" and the UTC time of a local time, by the
// platform's own conversion.
std::string TimeText(const SYSTEMTIME &time);
SYSTEMTIME LocalToUtc(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second);

std::string Text(const char *text); // "<null>" for a null pointer

// JOB_INFO_1 and 2, PRINTER_INFO_1, 2 and 5 as one line of text each.
std::string JobText(const JOB_INFO_1A &job);
std::string JobText(const JOB_INFO_2A &job);
std::string PrinterText(const PRINTER_INFO_1A &printer);
std::string PrinterText(const PRINTER_INFO_2A &printer);
std::string PrinterText(const PRINTER_INFO_5A &printer);

class QueueTest : public ProviderTest {
protected:
    void SetUp() override;

    // The provider's cache settings, written to its key; they take effect at
    // the next load.
    void SetCacheSettings(DWORD timeout, DWORD monitorPeriod);
    void Reload();
    // "QVZ_Filters" of a printer's key under the test's HKEY_CURRENT_USER.
    void SetFilters(const std::string &keyName, DWORD filters);

    HANDLE OpenOk(const char *name);

    // The queries through the provider's table.
    LevelCall EnumJobsCall(HANDLE printer, DWORD level);
    LevelCall GetJobCall(HANDLE printer, DWORD jobId, DWORD level);
    LevelCall GetPrinterCall(HANDLE printer, DWORD level);
    LevelCall GetDriverCall(HANDLE printer, DWORD level);

    // Submitted requests in the journal, by type.
    static int Requests(int type);
};
