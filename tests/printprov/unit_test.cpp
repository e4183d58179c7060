// qvprov's inner parts: status mapping, name splitting, key paths and the
// environment name, linked in directly.
#include <windows.h>
#include <gtest/gtest.h>

#include <string.h>

#include "registry.h"
#include "cache.h"
#include "job_record.h"
#include "printer_handle.h"
#include "qvsim.h"

#include <vector>

namespace {

constexpr DWORD kPoison = 0xdeadbeef;

TEST(MapStatus, SetsAndReturnsTheMappedError)
{
    struct Case {
        int32_t status;
        DWORD error;
    } cases[] = {
        {0, ERROR_SUCCESS},
        {-2, ERROR_NOT_ENOUGH_MEMORY},
        {-3, ERROR_INVALID_PRINTER_COMMAND},
        {2, ERROR_NO_MORE_ITEMS},
        {-27, ERROR_UNKNOWN_PORT},
        {-28, ERROR_INVALID_PRINTER_NAME},
        {-29, ERROR_INVALID_NAME},
        {-31, ERROR_NO_SPOOL_SPACE},
        {-59, ERROR_ACCESS_DENIED},
        {-60, ERROR_ACCESS_DENIED},
        {-61, ERROR_ACCESS_DENIED},
        {-62, ERROR_ACCESS_DENIED},
        // Neighbours of the special codes, the retried status and codes missing from the table.
        {-58, ERROR_INVALID_PARAMETER},
        {-63, ERROR_INVALID_PARAMETER},
        {-80, ERROR_INVALID_PARAMETER},
        {-86, ERROR_INVALID_PARAMETER},
        {3, ERROR_INVALID_PARAMETER},
        {-1, ERROR_INVALID_PARAMETER},
        {-30, ERROR_INVALID_PARAMETER},
        {-899, ERROR_INVALID_PARAMETER},
        {902, ERROR_INVALID_PARAMETER},
        {-1000, ERROR_INVALID_PARAMETER},
        {INT32_MIN, ERROR_INVALID_PARAMETER},
        {INT32_MAX, ERROR_INVALID_PARAMETER},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.status);
        SetLastError(kPoison);
        EXPECT_EQ(c.error, MapStatus(c.status));
        EXPECT_EQ(c.error, GetLastError());
    }
}

struct SplitCase {
    const char *name;
    int32_t kind;
    const char *server;
    const char *domain;
    const char *printer;
};

std::string Text(const NameComponent &component)
{
    return component.present() ? component.str() : "<absent>";
}

TEST(SplitPrinterName, ComponentsOfEachForm)
{
    const SplitCase cases[] = {
        {"\\\\srv.NIS:eng\\p1", NS_KIND_NIS, "srv", "eng", "p1"},
        {"\\\\srv.DCE:eng\\p1", NS_KIND_DCE, "srv", "eng", "p1"},
        {"\\\\srv.eng\\p1", NS_KIND_DEFAULT, "srv", "eng", "p1"},
        {"\\\\srv.nis:eng\\p1", NS_KIND_DEFAULT, "srv", "eng", "p1"},
        {"\\\\srv.NISX:eng\\p1", NS_KIND_DEFAULT, "srv", "eng", "p1"},
        {"\\\\srv.NI:eng\\p1", NS_KIND_DEFAULT, "srv", "eng", "p1"},
        {"\\\\srv.:eng\\p1", NS_KIND_DEFAULT, "srv", "eng", "p1"},
        {"\\\\srv.eng.corp\\p1", NS_KIND_DEFAULT, "srv", "eng.corp", "p1"},
        {"\\\\srv.NIS:eng.corp:x\\p1", NS_KIND_NIS, "srv", "eng.corp:x", "p1"},
        {"\\\\srv.eng\\a\\b", NS_KIND_DEFAULT, "srv", "eng", "a\\b"},
        {"\\\\srv.eng\\", NS_KIND_DEFAULT, "srv", "eng", "<absent>"},
        {"\\\\srv.eng", NS_KIND_DEFAULT, "srv", "eng", "<absent>"},
        {"\\\\.eng\\p1", NS_KIND_DEFAULT, "<absent>", "eng", "p1"},
        {"\\\\srv\\p1", NS_KIND_DEFAULT, "srv", "<absent>", "p1"},
        {"\\\\srv", NS_KIND_DEFAULT, "srv", "<absent>", "<absent>"},
        {"\\\\srv.NIS:", NS_KIND_NIS, "srv", "<absent>", "<absent>"},
        {"\\\\srv.NIS:\\p1", NS_KIND_NIS, "srv", "<absent>", "p1"},
        {"\\\\", NS_KIND_DEFAULT, "<absent>", "<absent>", "<absent>"},
    };
    for (const SplitCase &c : cases) {
        SCOPED_TRACE(c.name);
        ParsedPrinterName parsed;
        ASSERT_TRUE(SplitPrinterName(c.name, &parsed));
        EXPECT_EQ(c.kind, parsed.domainKind);
        EXPECT_EQ(c.server, Text(parsed.server));
        EXPECT_EQ(c.domain, Text(parsed.domain));
        EXPECT_EQ(c.printer, Text(parsed.printer));
    }
}

TEST(SplitPrinterName, RefusesNamesWithoutTwoLeadingBackslashes)
{
    for (const char *name :
         {static_cast<const char *>(nullptr), "", "\\", "\\srv.eng", "srv.eng", "/\\srv.eng"}) {
        SCOPED_TRACE(name ? name : "null");
        ParsedPrinterName parsed;
        EXPECT_FALSE(SplitPrinterName(name, &parsed));
    }
}

// Under the default single-byte code page every byte is a character, so
// 0x95 followed by '\' is two characters and the backslash separates.
TEST(SplitPrinterName, StepsByTheCodePageOfTheProcess)
{
    ASSERT_EQ(1252u, GetACP());
    ParsedPrinterName parsed;
    ASSERT_TRUE(SplitPrinterName("\\\\\x95\\x.eng", &parsed));
    EXPECT_EQ("\x95", Text(parsed.server));
    EXPECT_EQ("x.eng", Text(parsed.printer));
}

PrinterHandle *HandleFor(const char *name)
{
    ParsedPrinterName parsed;
    if (!SplitPrinterName(name, &parsed))
        return nullptr;
    return CreatePrinterHandle(parsed);
}

void FreeHandle(PrinterHandle *handle)
{
    DeleteCriticalSection(&handle->lock);
    free(handle);
}

TEST(PrinterHandle, OneBlockWithItsTextsAndSignature)
{
    PrinterHandle *handle = HandleFor("\\\\srv.NIS:eng\\a\\b");
    ASSERT_NE(nullptr, handle);
    EXPECT_EQ(0, memcmp(&handle->signature, "QVZ", 4));
    EXPECT_EQ(NS_KIND_NIS, handle->domainKind);
    EXPECT_STREQ("a\\b", handle->printer);
    EXPECT_STREQ("srv", handle->server);
    EXPECT_STREQ("eng", handle->domain);
    // printer, then server, then domain at the very end of the block.
    EXPECT_EQ(reinterpret_cast<char *>(handle + 1), handle->printer);
    EXPECT_EQ(handle->printer + 4, handle->server);
    EXPECT_EQ(handle->server + 4, handle->domain);
    EXPECT_EQ(nullptr, handle->job);
    EXPECT_EQ(nullptr, handle->document);
    EXPECT_EQ(0u, handle->queryRequest);
    EXPECT_EQ(nullptr, handle->cacheEntry);
    EXPECT_EQ(0u, handle->queryInstance);
    FreeHandle(handle);
}

TEST(PrinterKeyPath, AbsentComponentsAreEmptyText)
{
    struct Case {
        const char *name;
        const char *suffix;
    } cases[] = {
        {"\\\\srv.NIS:eng\\p1", ",,srv.NIS:eng,p1"},
        {"\\\\srv.DCE:eng\\p1", ",,srv.DCE:eng,p1"},
        {"\\\\srv.eng\\a\\b\\c", ",,srv.eng,a,b,c"},
        {"\\\\srv.eng", ",,srv.eng,"},
        {"\\\\srv.eng\\", ",,srv.eng,"},
        {"\\\\.eng\\p1", ",,.eng,p1"},
        {"\\\\.eng", ",,.eng,"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PrinterHandle *handle = HandleFor(c.name);
        ASSERT_NE(nullptr, handle);
        EXPECT_EQ(std::string(kPrinterKeyRoot) + c.suffix, PrinterKeyPath(handle));
        FreeHandle(handle);
    }
}

TEST(PrinterKeyPath, APathThatWouldNotFitTheBufferIsNone)
{
    const size_t room = 1023 - strlen(kPrinterKeyRoot) - strlen(",,srv.eng,");
    for (size_t length : {room, room + 1}) {
        SCOPED_TRACE(length);
        const std::string name = "\\\\srv.eng\\" + std::string(length, 'p');
        PrinterHandle *handle = HandleFor(name.c_str());
        ASSERT_NE(nullptr, handle);
        EXPECT_EQ(length == room ? 1023u : 0u, PrinterKeyPath(handle).size());
        FreeHandle(handle);
    }
}

TEST(InitializePrintProvidor, ASecondCallKeepsTheFirstEnvironmentCopy)
{
    PRINTPROVIDOR table;
    char path[] = "Software\\QvprovTest\\unit-none";
    ASSERT_TRUE(InitializePrintProvidor(&table, sizeof table, path));
    const char *first = g_provider.environmentName;
    ASSERT_NE(nullptr, first);
    EXPECT_STREQ("Windows 4.0", first);
    ASSERT_TRUE(InitializePrintProvidor(&table, sizeof table, path));
    EXPECT_EQ(first, g_provider.environmentName);
}

} // namespace

namespace {

const char kPlugInKey[] = "Software\\Tamsell\\Quorvane\\CurrentVersion\\PrintAssistant";

struct RegValue {
    const char *name;
    DWORD type;
    std::string data;
};

void WriteKey(const char *path, const std::vector<RegValue> &values)
{
    HKEY key;
    ASSERT_EQ(
        ERROR_SUCCESS,
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    for (const RegValue &value : values)
        RegSetValueExA(key, value.name, 0, value.type, reinterpret_cast<const BYTE *>(value.data.data()),
                       static_cast<DWORD>(value.data.size()));
    RegCloseKey(key);
}

std::string Dword(DWORD value)
{
    return std::string(reinterpret_cast<const char *>(&value), sizeof value);
}

std::string Sz(const char *text)
{
    return std::string(text, strlen(text) + 1);
}

TEST(PlugInLoading, WhatEachRegistrySettingGives)
{
    struct Case {
        const char *what;
        std::vector<RegValue> values;
        bool keyExists;
        bool loaded;
        bool terminate; // PA_Initialize accepted and filled the eight entries
        int32_t timeout;
    } cases[] = {
        {"no key", {}, false, false, false, -1},
        {"key without DLLPath", {{"JobSubmissionTimeout", REG_DWORD, Dword(5)}}, true, false, false, -1},
        {"unloadable library",
         {{"DLLPath", REG_SZ, Sz("nosuch-plugin.dll")}, {"JobSubmissionTimeout", REG_DWORD, Dword(5)}},
         true,
         false,
         false,
         -1},
        {"path of another type",
         {{"DLLPath", REG_EXPAND_SZ, Sz("testpa.dll")}, {"JobSubmissionTimeout", REG_DWORD, Dword(5)}},
         true,
         false,
         false,
         5},
        {"plug-in",
         {{"DLLPath", REG_SZ, Sz("testpa.dll")}, {"JobSubmissionTimeout", REG_DWORD, Dword(7)}},
         true,
         true,
         true,
         7},
        {"plug-in without a time-out", {{"DLLPath", REG_SZ, Sz("testpa.dll")}}, true, true, true, -1},
        {"path stored without its terminator",
         {{"DLLPath", REG_SZ, std::string("testpa.dll")}},
         true,
         true,
         true,
         -1},
        {"time-out of another type",
         {{"DLLPath", REG_SZ, Sz("testpa.dll")}, {"JobSubmissionTimeout", REG_BINARY, Dword(11)}},
         true,
         true,
         true,
         11},
        {"time-out longer than 4 bytes",
         {{"DLLPath", REG_SZ, Sz("testpa.dll")}, {"JobSubmissionTimeout", REG_BINARY, "123456789"}},
         true,
         true,
         true,
         -1},
        {"library without PA_Initialize",
         {{"DLLPath", REG_SZ, Sz("version.dll")}, {"JobSubmissionTimeout", REG_DWORD, Dword(9)}},
         true,
         true,
         false,
         9},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kPlugInKey);
        if (c.keyExists)
            WriteKey(kPlugInKey, c.values);
        LoadPrintAssistant();
        EXPECT_EQ(c.loaded, g_provider.paModule != nullptr);
        EXPECT_EQ(c.terminate, g_provider.paCallbacks.Terminate != nullptr);
        EXPECT_EQ(c.terminate, g_provider.paCallbacks.JobCreated != nullptr);
        EXPECT_EQ(c.timeout, g_provider.jobSubmissionTimeout);
        UnloadPrintAssistant();
        EXPECT_EQ(nullptr, g_provider.paModule);
        EXPECT_EQ(nullptr, g_provider.paCallbacks.Terminate);
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kPlugInKey);
    EXPECT_EQ(0, SimLiveObjects(nullptr));
    EXPECT_EQ(0, SimOwnershipFaults());
}

TEST(CacheSettings, ReadFromTheProviderKey)
{
    const char path[] = "Software\\QvprovTest\\unit-cache";
    const std::string timeoutsPath = std::string(path) + "\\CacheTimeouts";
    const ResultCache defaults = g_cache;
    struct Case {
        const char *what;
        std::vector<RegValue> values;
        std::vector<RegValue> timeouts;
        uint32_t maxEntries;
        uint32_t period;
        uint32_t getJob;
        uint32_t enumJobs;
    } cases[] = {
        {"no values", {}, {}, 20, 30000, 3000, 3000},
        {"one entry is ignored", {{"MaxCacheEntries", REG_DWORD, Dword(1)}}, {}, 20, 30000, 3000, 3000},
        {"no entries are ignored", {{"MaxCacheEntries", REG_DWORD, Dword(0)}}, {}, 20, 30000, 3000, 3000},
        {"two entries", {{"MaxCacheEntries", REG_DWORD, Dword(2)}}, {}, 2, 30000, 3000, 3000},
        {"entries as text", {{"MaxCacheEntries", REG_SZ, Sz("5")}}, {}, 20, 30000, 3000, 3000},
        {"entries as 8 bytes",
         {{"MaxCacheEntries", REG_QWORD, Dword(5) + Dword(0)}},
         {},
         20,
         30000,
         3000,
         3000},
        {"period 0 is ignored", {{"CacheMonitorPeriod", REG_DWORD, Dword(0)}}, {}, 20, 30000, 3000, 3000},
        {"period 5", {{"CacheMonitorPeriod", REG_DWORD, Dword(5)}}, {}, 20, 5, 3000, 3000},
        {"GetJob time-out 0", {}, {{"GetJob", REG_DWORD, Dword(0)}}, 20, 30000, 0, 3000},
        {"EnumJobs time-out of another type",
         {},
         {{"EnumJobs", REG_BINARY, Dword(7)}},
         20,
         30000,
         3000,
         3000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, timeoutsPath.c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
        WriteKey(path, c.values);
        WriteKey(timeoutsPath.c_str(), c.timeouts);
        g_cache = defaults;
        CacheLoadSettings(path);
        EXPECT_EQ(c.maxEntries, g_cache.maxEntries);
        EXPECT_EQ(c.period, g_cache.monitorPeriod);
        EXPECT_EQ(c.getJob, CacheTimeoutOf(4));
        EXPECT_EQ(c.enumJobs, CacheTimeoutOf(3));
        EXPECT_EQ(0u, CacheTimeoutOf(7));
    }
    g_cache = defaults;
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, timeoutsPath.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
}

// The spooler's registry path is where the cache's settings come from.
TEST(InitializePrintProvidor, ReadsTheCacheSettingsOfItsKey)
{
    char path[] = "Software\\QvprovTest\\unit-initialize";
    const ResultCache defaults = g_cache;
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
    WriteKey(path, {{"MaxCacheEntries", REG_DWORD, Dword(5)}, {"CacheMonitorPeriod", REG_DWORD, Dword(7)}});
    PRINTPROVIDOR table;
    EXPECT_TRUE(InitializePrintProvidor(&table, sizeof table, path));
    EXPECT_EQ(5u, g_cache.maxEntries);
    EXPECT_EQ(7u, g_cache.monitorPeriod);
    g_cache = defaults;
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
}

} // namespace

namespace {

// The handle checks and the clearing of job and document references, on
// handles opened through OpenPrinter with the list and JobLock of this
// process (no library attach here).
TEST(HandleChecks, ServerJobAndReferenceClearing)
{
    // The opens write printer keys: into a user hive of this test's own.
    const char hivePath[] = "Software\\QvprovTest\\unit-user";
    HKEY hive;
    ASSERT_EQ(
        ERROR_SUCCESS,
        RegCreateKeyExA(HKEY_CURRENT_USER, hivePath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hive, nullptr));
    RegOverridePredefKey(HKEY_CURRENT_USER, hive);
    HandleListInit();
    LoadPrintAssistant();
    NS_Init(0, 10);
    HANDLE server = nullptr;
    HANDLE printer = nullptr;
    HANDLE other = nullptr;
    ASSERT_TRUE(OpenPrinter(const_cast<LPSTR>("\\\\srv2.corp"), &server, nullptr));
    ASSERT_TRUE(OpenPrinter(const_cast<LPSTR>("\\\\srv1.corp\\lp1"), &printer, nullptr));
    ASSERT_TRUE(OpenPrinter(const_cast<LPSTR>("\\\\srv1.corp\\lp2"), &other, nullptr));

    SetLastError(kPoison);
    EXPECT_TRUE(CheckServerHandle(server));
    EXPECT_FALSE(CheckServerHandle(printer));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    SetLastError(kPoison);
    EXPECT_FALSE(CheckJobHandle(printer));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());

    // Two handles share one job and document; a third has its own.
    JobRecord shared = {};
    JobRecord own = {};
    DocumentRecord document = {};
    shared.printRequest = 1; // a job with its print request passes CheckJobHandle
    auto *p = static_cast<PrinterHandle *>(printer);
    auto *s = static_cast<PrinterHandle *>(server);
    auto *o = static_cast<PrinterHandle *>(other);
    p->job = &shared;
    s->job = &shared;
    o->job = &own;
    p->document = &document;
    o->document = &document;
    EXPECT_TRUE(CheckJobHandle(printer));
    EXPECT_FALSE(CheckJobHandle(other)); // no print request
    {
        LockGuard jobs(g_provider.jobLock);
        ClearJobReferences(&shared);
        ClearDocumentReferences(&document);
    }
    EXPECT_EQ(nullptr, p->job);
    EXPECT_EQ(nullptr, s->job);
    EXPECT_EQ(&own, o->job);
    EXPECT_EQ(nullptr, p->document);
    EXPECT_EQ(nullptr, o->document);
    o->job = nullptr;

    CloseAllHandles();
    SetLastError(kPoison);
    EXPECT_FALSE(CheckHandle(printer));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(nullptr, g_provider.openHandleList);
    NS_Term();
    UnloadPrintAssistant();
    HandleListTerm();
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(hive);
    qvtest::DeleteTree(HKEY_CURRENT_USER, hivePath);
    EXPECT_EQ(0, SimLiveObjects(nullptr));
    EXPECT_EQ(0, SimOwnershipFaults());
}

} // namespace
