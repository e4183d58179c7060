// A spooler stand-in that ends its process with a document in progress:
//   printexit writing|locked|unload <provider key> <printer>
// "writing": a second thread writes to the document when the process ends.
// "locked": a second thread holds JobLock (which the test plug-in receives)
// when the process ends, and a third waits for it inside WritePrinter.
// "unload": the provider is unloaded first, then the process ends.
// Prints its progress, and the test plug-in prints when it is told to end;
// exits with 0 unless a step fails before the exit.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "spoolhost.h"

namespace {

SpoolProvider Provider;
HANDLE Printer;
HANDLE Ready;
LONG Writes;

DWORD WINAPI WriteForEver(LPVOID)
{
    char data[] = "still writing";
    for (;;) {
        DWORD written = 0;
        if (!Provider.table.fpWritePrinter(Printer, data, sizeof data - 1, &written))
            return 1;
        if (InterlockedIncrement(&Writes) == 10)
            SetEvent(Ready);
    }
}

DWORD WINAPI HoldForEver(LPVOID lock)
{
    EnterCriticalSection(static_cast<CRITICAL_SECTION *>(lock));
    SetEvent(Ready);
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    WaitForSingleObject(never, INFINITE);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4)
        return 2;
    const bool locked = strcmp(argv[1], "locked") == 0;
    const bool unload = strcmp(argv[1], "unload") == 0;
    SetEnvironmentVariableA("TESTPA_TRACE", "1");
    if (SpoolLoadProvider("qvprov.dll", argv[2], &Provider) != 0)
        return 3;
    if (!Provider.table.fpOpenPrinter(argv[3], &Printer, nullptr))
        return 4;
    DOC_INFO_1A info = {const_cast<LPSTR>("at exit"), nullptr, nullptr};
    if (!Provider.table.fpStartDocPrinter(Printer, 1, reinterpret_cast<LPBYTE>(&info)))
        return 5;
    printf("document started\n");
    Ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (locked) {
        auto jobLock = reinterpret_cast<CRITICAL_SECTION *(__cdecl *)()>(
            GetProcAddress(GetModuleHandleA("testpa.dll"), "TestPA_JobLock"));
        if (!jobLock || !jobLock())
            return 6;
        CreateThread(nullptr, 0, HoldForEver, jobLock(), 0, nullptr);
        WaitForSingleObject(Ready, INFINITE);
        CreateThread(nullptr, 0, WriteForEver, nullptr, 0, nullptr);
    } else {
        CreateThread(nullptr, 0, WriteForEver, nullptr, 0, nullptr);
        if (WaitForSingleObject(Ready, 30000) != WAIT_OBJECT_0)
            return 7;
    }
    if (unload) {
        fflush(stdout);
        SpoolUnloadProvider(&Provider);
        printf("unloaded\n");
    }
    printf("exiting\n");
    fflush(stdout);
    ExitProcess(0);
}
