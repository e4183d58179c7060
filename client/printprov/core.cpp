// qvprov: start and stop of the core library (usage messages, name service,
// object-identifier database).
#include "provider.h"

#include <string>

namespace {

const char kDefaultOidDirectory[] = "C:\\Quorvane\\share\\oid";
const char kOidSubdirectory[] = "\\share\\oid";

// The value of an environment variable of the process; false when it is unset or empty.
bool ReadEnvironment(const char *name, std::string *value)
{
    DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
    if (size == 0)
        return false;
    std::string text(size, '\0');
    DWORD length = GetEnvironmentVariableA(name, &text[0], size);
    if (length == 0 || length >= size)
        return false;
    text.resize(length);
    *value = text;
    return true;
}

// "PD_OID_DB_PATH" if set; else "QV_ROOT" followed by "\share\oid"; else the default.
std::string OidDirectory()
{
    std::string directory;
    if (ReadEnvironment("PD_OID_DB_PATH", &directory))
        return directory;
    if (ReadEnvironment("QV_ROOT", &directory))
        return directory + kOidSubdirectory;
    return kDefaultOidDirectory;
}

} // namespace

// Every failure here is silent: what failed stays unavailable.
void StartCoreLibrary()
{
    MSG_UsageBegin("PP");
    NS_Init(0, 10);
    QvList list = STF_CreateList(0);
    const std::string directory = OidDirectory();
    if (API__DocumentExists(directory.c_str(), 0) == QV_STATUS_DIRECTORY_EXISTS)
        OID_Init(list, directory.c_str(), 0);
    if (list)
        STF_DeleteList(list);
}

void StopCoreLibrary()
{
    MSG_UsageEnd();
    NS_Term();
    OID_Term();
}
