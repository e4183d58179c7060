// spoolhost: loads a print provider as the Windows 95 spooler does and opens
// and closes the printers named on the command line through its table.
//   spoolhost [--exit-loaded] <provider.dll> <registry path> [printer name ...]
// --exit-loaded leaves the provider loaded and its printers open when the
// process ends, as when the spooler's process is shut down.
// Exit code: 0 when the provider loaded and every printer opened, 1 otherwise.
#include "spoolhost.h"

#include <stdio.h>
#include <string.h>

int main(int argc, char **argv)
{
    bool exitLoaded = argc > 1 && strcmp(argv[1], "--exit-loaded") == 0;
    if (exitLoaded) {
        --argc;
        ++argv;
    }
    if (argc < 3) {
        fprintf(stderr,
                "usage: spoolhost [--exit-loaded] <provider.dll> <registry path> [printer name ...]\n");
        return 2;
    }
    SpoolProvider provider;
    DWORD error = SpoolLoadProvider(argv[1], argv[2], &provider);
    if (error != ERROR_SUCCESS) {
        printf("load %s: error %lu\n", argv[1], error);
        return 1;
    }
    for (unsigned i = 0; i < PRINTPROVIDOR_SLOT_COUNT; ++i)
        printf("slot %2u %-28s %s\n", i, kSpoolSlots[i].name, SpoolSlot(&provider.table, i) ? "set" : "null");
    int result = 0;
    for (int i = 3; i < argc; ++i) {
        HANDLE printer = nullptr;
        if (provider.table.fpOpenPrinter(argv[i], &printer, nullptr)) {
            printf("open %s: ok\n", argv[i]);
            if (!exitLoaded)
                provider.table.fpClosePrinter(printer);
        } else {
            printf("open %s: error %lu\n", argv[i], GetLastError());
            result = 1;
        }
    }
    fflush(stdout);
    if (exitLoaded)
        ExitProcess(static_cast<UINT>(result));
    SpoolUnloadProvider(&provider);
    return result;
}
