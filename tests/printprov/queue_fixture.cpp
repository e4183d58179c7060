#include "queue_fixture.h"

#include <stdio.h>
#include <string.h>

const char kQueueNetwork[]
    = "user qvuser\n"
      "kinds 0 1 2\n"
      "domain 2 corp\n"
      "server srv1\n"
      "server srv2\n"
      "printer lp1 srv1 comment=\"First floor laser\" location=\"Building A, room 101\" ppm=12\n"
      "driver 3050 version=2 name=\"Tamsell LaserWriter 4 (NT)\" path=\"tlaser4.dll\"\n"
      "driver 3301 version=4 name=\"Tamsell\\LaserWriter 4\" path=\"C:\\WINDOWS\\SYSTEM\\TLASER4.DRV\" "
      "data=\"TLASER4.PPD\" config=\"C:\\WINDOWS\\SYSTEM\\TLUI.DLL\" help=\"TLASER.HLP\" "
      "deps=\"C:\\WINDOWS\\SYSTEM\\A.DRV,B.DLL,C:\\X\\C.DLL\" monitor=\"TLMON\" type=\"RAW\"\n"
      "driver 886 version=1 name=\"laser4\" path=\"/usr/lib/qv/laser4\"\n"
      "job number=5 owner=ann name=\"Budget 1998.xls\" state=printing size=40960 pages=4 printed=1 "
      "priority=1 submitted=\"1998-03-02 09:15:00\" time=30\n"
      "job number=6 owner=bob ownerns=0 state=300 size=5000000000 pages=2 priority=65535\n"
      "job number=7 owner=dave ownerns=3044 name=\"layout.plt\" state=paused size=4294967295 pages=1 "
      "submitted=\"1998-07-01 23:30:00\"\n"
      "job number=8 owner=eve name=\"gone\" state=4000 empty=134,133,241,271,277,283\n"
      "job number=9 owner=fay name=\"far\" state=65796\n"
      "printer lp2 srv1 omit=649 comment=\"Without a name\" online=0\n"
      "driver 886 version=1 name=\"unix only\"\n"
      "printer lp3 srv2 ppm=16 omit=650\n"
      "driver 3301 version=1 name=\"Line\" path=\"LINE.DRV\" deps=\"LINE.DRV\"\n"
      "printer lp4 srv2\n"
      "printer lp5 srv2\n"
      "driver 3301 version=3 name=\"Odd\" path=\"C:\\DIR\\\" deps=\"A.DRV,,C:\\DIR\\,C:\\B.DLL\"\n"
      "domain 0 eng\n"
      "server build\n"
      "printer plot1 build comment=\"Plotter\"\n"
      // A domain of the same name in the default name space, with a printer
      // of the same name on the same server.
      "domain 2 eng\n"
      "server build\n"
      "printer plot1 build comment=\"Default plotter\"\n";

const char kLp1[] = "\\\\srv1.corp\\lp1";

bool Answer::GuardIntact() const
{
    for (size_t i = size; i < bytes.size(); ++i) {
        if (bytes[i] != kPoisonByte)
            return false;
    }
    return true;
}

bool Answer::Untouched() const
{
    for (BYTE b : bytes) {
        if (b != kPoisonByte)
            return false;
    }
    return true;
}

Answer RunCall(const LevelCall &call, DWORD size, bool nullBuffer)
{
    Answer answer;
    answer.size = size;
    answer.nullBuffer = nullBuffer;
    answer.bytes.assign(size + kGuard, kPoisonByte);
    SetLastError(kPoison);
    answer.ok = call.call(nullBuffer ? nullptr : answer.bytes.data(), size, &answer.needed, &answer.returned);
    answer.error = GetLastError();
    return answer;
}

namespace {

uintptr_t PointerAt(const BYTE *record, size_t offset)
{
    uintptr_t value;
    memcpy(&value, record + offset, sizeof value);
    return value;
}

} // namespace

std::vector<BYTE> Normalized(const LevelCall &call, const Answer &answer, DWORD records)
{
    const BYTE *base = answer.bytes.data();
    const uintptr_t end = reinterpret_cast<uintptr_t>(base) + answer.size;
    const size_t fixed = call.recordSize * records;
    std::vector<BYTE> image(base, base + fixed);
    for (DWORD r = 0; r < records; ++r) {
        for (size_t offset : call.strings) {
            uintptr_t value = PointerAt(base + r * call.recordSize, offset);
            if (value)
                value = end - value;
            memcpy(&image[r * call.recordSize + offset], &value, sizeof value);
        }
    }
    // The texts: the bytes from the end of the fixed parts' need up to the end.
    const size_t texts = answer.needed - fixed;
    image.insert(image.end(), base + answer.size - texts, base + answer.size);
    return image;
}

::testing::AssertionResult PointersInside(const LevelCall &call, const Answer &answer, DWORD records)
{
    const uintptr_t first = reinterpret_cast<uintptr_t>(answer.bytes.data());
    const uintptr_t end = first + answer.size;
    for (DWORD r = 0; r < records; ++r) {
        for (size_t offset : call.strings) {
            const uintptr_t value = PointerAt(answer.bytes.data() + r * call.recordSize, offset);
            if (value && (value < first + call.recordSize * records || value >= end))
                return ::testing::AssertionFailure()
                    << "record " << r << " field at " << offset << " points outside the text area";
        }
    }
    return ::testing::AssertionSuccess();
}

std::string TimeText(const SYSTEMTIME &t)
{
    char text[64];
    snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u dow%u", t.wYear, t.wMonth, t.wDay,
             t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, t.wDayOfWeek);
    return text;
}

SYSTEMTIME LocalToUtc(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME local = {year, month, 1, day, hour, minute, second, 0};
    FILETIME localFile;
    FILETIME utcFile;
    SYSTEMTIME utc = {};
    EXPECT_TRUE(SystemTimeToFileTime(&local, &localFile));
    EXPECT_TRUE(LocalFileTimeToFileTime(&localFile, &utcFile));
    EXPECT_TRUE(FileTimeToSystemTime(&utcFile, &utc));
    return utc;
}

std::string Text(const char *text)
{
    return text ? "\"" + std::string(text) + "\"" : "<null>";
}

namespace {

std::string Hex(DWORD value)
{
    char text[16];
    snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(value));
    return text;
}

std::string Nulls(std::initializer_list<const void *> pointers)
{
    for (const void *p : pointers) {
        if (p)
            return " unexpected-pointer";
    }
    return "";
}

} // namespace

std::string JobText(const JOB_INFO_1A &j)
{
    return "id=" + std::to_string(j.JobId) + " user=" + Text(j.pUserName) + " doc=" + Text(j.pDocument)
        + " status=" + Text(j.pStatus) + "/" + Hex(j.Status)
        + " priority=" + std::to_string(int32_t(j.Priority)) + " position=" + std::to_string(j.Position)
        + " pages=" + std::to_string(j.TotalPages) + "/" + std::to_string(j.PagesPrinted)
        + " submitted=" + TimeText(j.Submitted) + Nulls({j.pPrinterName, j.pMachineName, j.pDatatype});
}

std::string JobText(const JOB_INFO_2A &j)
{
    return "id=" + std::to_string(j.JobId) + " user=" + Text(j.pUserName) + " doc=" + Text(j.pDocument)
        + " status=" + Text(j.pStatus) + "/" + Hex(j.Status) + " pages=" + std::to_string(j.TotalPages) + "/"
        + std::to_string(j.PagesPrinted) + " size=" + std::to_string(j.Size)
        + " submitted=" + TimeText(j.Submitted) + " time=" + std::to_string(j.Time)
        + (j.Priority || j.Position || j.StartTime || j.UntilTime ? " unexpected-number" : "")
        + Nulls({j.pPrinterName, j.pMachineName, j.pNotifyName, j.pDatatype, j.pPrintProcessor, j.pParameters,
                 j.pDriverName, j.pDevMode, j.pSecurityDescriptor});
}

std::string PrinterText(const PRINTER_INFO_1A &p)
{
    return "flags=" + Hex(p.Flags) + " description=" + Text(p.pDescription) + " name=" + Text(p.pName)
        + " comment=" + Text(p.pComment);
}

std::string PrinterText(const PRINTER_INFO_2A &p)
{
    return "server=" + Text(p.pServerName) + " printer=" + Text(p.pPrinterName)
        + " comment=" + Text(p.pComment) + " location=" + Text(p.pLocation)
        + " attributes=" + Hex(p.Attributes) + " status=" + Hex(p.Status) + " jobs=" + std::to_string(p.cJobs)
        + " ppm=" + std::to_string(p.AveragePPM)
        + (p.Priority || p.DefaultPriority || p.StartTime || p.UntilTime ? " unexpected-number" : "")
        + Nulls({p.pShareName, p.pPortName, p.pDriverName, p.pDevMode, p.pSepFile, p.pPrintProcessor,
                 p.pDatatype, p.pParameters, p.pSecurityDescriptor});
}

std::string PrinterText(const PRINTER_INFO_5A &p)
{
    return "printer=" + Text(p.pPrinterName) + " port=" + Text(p.pPortName)
        + " attributes=" + Hex(p.Attributes) + " timeouts=" + std::to_string(p.DeviceNotSelectedTimeout) + "/"
        + std::to_string(p.TransmissionRetryTimeout);
}

void QueueTest::SetUp()
{
    ProviderTest::SetUp();
    ASSERT_EQ(0, SimLoadNetwork(kQueueNetwork));
    SetCacheSettings(kLongTimeout, kLongTimeout);
    LoadProvider();
}

void QueueTest::SetCacheSettings(DWORD timeout, DWORD monitorPeriod)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, (providerKey_ + "\\CacheTimeouts").c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr));
    for (const char *name : {"GetPrinter", "EnumJobs", "GetJob", "GetPrinterDriver"})
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&timeout), sizeof timeout);
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, providerKey_.c_str(), 0, KEY_ALL_ACCESS, &key));
    RegSetValueExA(key, "CacheMonitorPeriod", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&monitorPeriod),
                   sizeof monitorPeriod);
    RegCloseKey(key);
}

void QueueTest::Reload()
{
    UnloadProvider();
    LoadProvider();
}

void QueueTest::SetFilters(const std::string &keyName, DWORD filters)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, (kUserPrintersRoot + keyName).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, "QVZ_Filters", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&filters),
                   sizeof filters);
    RegCloseKey(key);
}

HANDLE QueueTest::OpenOk(const char *name)
{
    HANDLE handle = nullptr;
    EXPECT_TRUE(Open(name, &handle)) << name;
    // Every job of the printer, not only the caller's (OpenPrinter's default is 3).
    std::string key = std::string(",,") + (name + 2);
    for (char &c : key)
        c = c == '\\' ? ',' : c;
    if (key.find(',', 2) == std::string::npos)
        key += ',';
    SetFilters(key, 0);
    return handle;
}

LevelCall QueueTest::EnumJobsCall(HANDLE printer, DWORD level)
{
    LevelCall call;
    call.name = "EnumJobs level " + std::to_string(level);
    if (level == 1) {
        call.recordSize = sizeof(JOB_INFO_1A);
        call.strings = {offsetof(JOB_INFO_1A, pPrinterName), offsetof(JOB_INFO_1A, pMachineName),
                        offsetof(JOB_INFO_1A, pUserName),    offsetof(JOB_INFO_1A, pDocument),
                        offsetof(JOB_INFO_1A, pDatatype),    offsetof(JOB_INFO_1A, pStatus)};
    } else {
        call.recordSize = sizeof(JOB_INFO_2A);
        call.strings = {offsetof(JOB_INFO_2A, pPrinterName),    offsetof(JOB_INFO_2A, pMachineName),
                        offsetof(JOB_INFO_2A, pUserName),       offsetof(JOB_INFO_2A, pDocument),
                        offsetof(JOB_INFO_2A, pNotifyName),     offsetof(JOB_INFO_2A, pDatatype),
                        offsetof(JOB_INFO_2A, pPrintProcessor), offsetof(JOB_INFO_2A, pParameters),
                        offsetof(JOB_INFO_2A, pDriverName),     offsetof(JOB_INFO_2A, pDevMode),
                        offsetof(JOB_INFO_2A, pStatus),         offsetof(JOB_INFO_2A, pSecurityDescriptor)};
    }
    PFN_EnumJobs enumJobs = provider_.table.fpEnumJobs;
    call.call = [=](BYTE *buffer, DWORD size, DWORD *needed, DWORD *returned) {
        return enumJobs(printer, 0, 100, level, buffer, size, needed, returned);
    };
    return call;
}

LevelCall QueueTest::GetJobCall(HANDLE printer, DWORD jobId, DWORD level)
{
    LevelCall call = EnumJobsCall(printer, level);
    call.name = "GetJob level " + std::to_string(level);
    PFN_GetJob getJob = provider_.table.fpGetJob;
    call.call = [=](BYTE *buffer, DWORD size, DWORD *needed, DWORD *returned) {
        BOOL ok = getJob(printer, jobId, level, buffer, size, needed);
        if (ok)
            *returned = 1;
        return ok;
    };
    return call;
}

LevelCall QueueTest::GetPrinterCall(HANDLE printer, DWORD level)
{
    LevelCall call;
    call.name = "GetPrinter level " + std::to_string(level);
    if (level == 1) {
        call.recordSize = sizeof(PRINTER_INFO_1A);
        call.strings = {offsetof(PRINTER_INFO_1A, pDescription), offsetof(PRINTER_INFO_1A, pName),
                        offsetof(PRINTER_INFO_1A, pComment)};
    } else if (level == 2) {
        call.recordSize = sizeof(PRINTER_INFO_2A);
        call.strings
            = {offsetof(PRINTER_INFO_2A, pServerName),        offsetof(PRINTER_INFO_2A, pPrinterName),
               offsetof(PRINTER_INFO_2A, pShareName),         offsetof(PRINTER_INFO_2A, pPortName),
               offsetof(PRINTER_INFO_2A, pDriverName),        offsetof(PRINTER_INFO_2A, pComment),
               offsetof(PRINTER_INFO_2A, pLocation),          offsetof(PRINTER_INFO_2A, pDevMode),
               offsetof(PRINTER_INFO_2A, pSepFile),           offsetof(PRINTER_INFO_2A, pPrintProcessor),
               offsetof(PRINTER_INFO_2A, pDatatype),          offsetof(PRINTER_INFO_2A, pParameters),
               offsetof(PRINTER_INFO_2A, pSecurityDescriptor)};
    } else {
        call.recordSize = sizeof(PRINTER_INFO_5A);
        call.strings = {offsetof(PRINTER_INFO_5A, pPrinterName), offsetof(PRINTER_INFO_5A, pPortName)};
    }
    PFN_GetPrinter getPrinter = provider_.table.fpGetPrinter;
    call.call = [=](BYTE *buffer, DWORD size, DWORD *needed, DWORD *returned) {
        BOOL ok = getPrinter(printer, level, buffer, size, needed);
        if (ok)
            *returned = 1;
        return ok;
    };
    return call;
}

LevelCall QueueTest::GetDriverCall(HANDLE printer, DWORD level)
{
    LevelCall call;
    call.name = "GetPrinterDriver level " + std::to_string(level);
    if (level == 1) {
        call.recordSize = sizeof(DRIVER_INFO_1A);
        call.strings = {offsetof(DRIVER_INFO_1A, pName)};
    } else if (level == 2) {
        call.recordSize = sizeof(DRIVER_INFO_2A);
        call.strings = {offsetof(DRIVER_INFO_2A, pName), offsetof(DRIVER_INFO_2A, pEnvironment),
                        offsetof(DRIVER_INFO_2A, pDriverPath), offsetof(DRIVER_INFO_2A, pDataFile),
                        offsetof(DRIVER_INFO_2A, pConfigFile)};
    } else {
        call.recordSize = sizeof(DRIVER_INFO_3A);
        call.strings = {offsetof(DRIVER_INFO_3A, pName),           offsetof(DRIVER_INFO_3A, pEnvironment),
                        offsetof(DRIVER_INFO_3A, pDriverPath),     offsetof(DRIVER_INFO_3A, pDataFile),
                        offsetof(DRIVER_INFO_3A, pConfigFile),     offsetof(DRIVER_INFO_3A, pHelpFile),
                        offsetof(DRIVER_INFO_3A, pDependentFiles), offsetof(DRIVER_INFO_3A, pMonitorName),
                        offsetof(DRIVER_INFO_3A, pDefaultDataType)};
    }
    PFN_GetPrinterDriver getDriver = provider_.table.fpGetPrinterDriver;
    call.call = [=](BYTE *buffer, DWORD size, DWORD *needed, DWORD *returned) {
        BOOL ok = getDriver(printer, const_cast<LPSTR>("Windows 4.0"), level, buffer, size, needed);
        if (ok)
            *returned = 1;
        return ok;
    };
    return call;
}

int QueueTest::Requests(int type)
{
    const std::vector<std::string> journal = JournalLines();
    int count = 0;
    while (FindRequest(journal, type, count) >= 0)
        ++count;
    return count;
}
