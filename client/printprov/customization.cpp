// qvprov: the user's personal details sent with every job, read from the
// user's Customization key, and the postal address kept on the job.
#include "job_record.h"
#include "qvdpa.h"

#include <stdlib.h>
#include <string.h>

namespace {

const char kCustomizationKey[] = "Software\\Tamsell\\Quorvane\\Customization";
const int32_t kTextSyntax = 3;

// Registry values in the order they are read, and the job attribute each becomes.
const struct {
    const char *value;
    const char *attribute;
} kCustomizations[] = {
    {"Name", "job-originator"},
    {"ChargeNumber", "accounting-information"},
    {"Department", "user-department"},
    {"EMail", "user-email-address"},
    {"Telephone", "user-telephone-number"},
};
const char kAddressValue[] = "Address";

// A value of any registry type, as the text its bytes spell up to the first
// zero byte or the end of the data; null when missing or unreadable, and
// when empty unless keepEmpty. Released with free.
char *ReadText(HKEY key, const char *name, bool keepEmpty = false)
{
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0)
        return nullptr;
    // One spare byte ends a value stored without its terminator.
    char *data = static_cast<char *>(calloc(size + 1, 1));
    if (!data)
        return nullptr;
    DWORD read = size;
    char *text = nullptr;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(data), &read) == ERROR_SUCCESS
        && (keepEmpty || (read > 1 && data[0] != '\0')))
        text = CopyText(data);
    free(data);
    return text;
}

} // namespace

// Sets the user's details on the job's print request by attribute name and
// keeps the postal address on the job. Nothing here fails a job: a detail
// that cannot be read or set is left out.
QvStatus AddCustomization(JobRecord *job)
{
    RegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kCustomizationKey, 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return 0;
    for (const auto &customization : kCustomizations) {
        char *text = ReadText(key.get(), customization.value);
        if (!text)
            continue;
        DPASetAttributeType(job->printRequest, customization.attribute, text, kTextSyntax, 0);
        free(text);
    }
    free(job->address);
    job->address = ReadText(key.get(), kAddressValue, true);
    return 0;
}
