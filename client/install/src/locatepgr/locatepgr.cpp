/*
 * pgrprobe: tells the installation program the host of the pgr server, as
 * the name service of qvcore answers it. One call, no state.
 */
#include <windows.h>
#include <string.h>
#include "qvcore.h"

enum {
    kNoHost = 0, /* no host name was found; the buffer is untouched */
    kHostCopied = 1
};

/* Copies the pgr server's host name, NUL included, into hostName. The
 * caller's buffer must hold the longest name qvcore can answer; exactly the
 * name's length plus one byte is written. The name is qvcore's and is
 * neither changed nor released. */
extern "C" int WINAPI locate_pgr(char *hostName)
{
    // Without a buffer nothing could be copied: answer "none" rather than
    // writing through a null pointer.
    if (hostName == nullptr)
        return kNoHost;

    char *found = nullptr;
    NS_LocatePGR(&found); // the status is not read: only the answer counts
    if (found == nullptr)
        return kNoHost;

    memcpy(hostName, found, strlen(found) + 1);
    return kHostCopied;
}
