/*
 * Key-copy routines of ProvKeep: values of one key, a whole subkey tree, and
 * the deletion of a tree.
 */
#include "provkeep.h"

namespace {

/* The value data buffer: zero-filled process-heap memory, freed on scope exit. */
class HeapBuffer {
public:
    explicit HeapBuffer(DWORD bytes)
        // A key whose values are all empty reports 0 bytes: take one byte so
        // that an empty value is still an allocation, not a failure.
        : data_(static_cast<BYTE *>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes ? bytes : 1)))
    { }
    ~HeapBuffer()
    {
        if (data_ != nullptr)
            HeapFree(GetProcessHeap(), 0, data_);
    }
    HeapBuffer(const HeapBuffer &) = delete;
    HeapBuffer &operator=(const HeapBuffer &) = delete;

    BYTE *Get() const { return data_; }

private:
    BYTE *data_;
};

} // namespace

LONG CopyKeyValues(HKEY parent, const char *subkeyName, HKEY destination)
{
    ScopedKey source;
    LONG rc = RegOpenKeyExA(parent, subkeyName, 0, kKeyAccess, source.Out());
    if (rc != ERROR_SUCCESS)
        return rc;

    DWORD valueCount = 0;
    DWORD maxDataBytes = 0;
    rc = RegQueryInfoKeyA(source, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valueCount, nullptr,
                          &maxDataBytes, nullptr, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (valueCount == 0)
        return ERROR_SUCCESS;

    HeapBuffer data(maxDataBytes);
    if (data.Get() == nullptr) {
        // Reported, not hidden: a backup that believed this copy succeeded
        // would delete values that were never saved.
        return ERROR_NOT_ENOUGH_MEMORY;
    }

    for (DWORD index = 0; index < valueCount; ++index) {
        char name[kNameCapacity];
        DWORD nameChars = kNameCapacity;
        DWORD type = REG_NONE;
        DWORD dataBytes = maxDataBytes;
        rc = RegEnumValueA(source, index, name, &nameChars, nullptr, &type, data.Get(), &dataBytes);
        if (rc != ERROR_SUCCESS)
            return rc;
        rc = RegSetValueExA(destination, name, 0, type, data.Get(), dataBytes);
        if (rc != ERROR_SUCCESS)
            return rc;
    }
    return ERROR_SUCCESS;
}

LONG CopyKeyTree(HKEY destination, HKEY source)
{
    for (DWORD index = 0;; ++index) {
        char name[kNameCapacity];
        DWORD nameChars = kNameCapacity;
        char keyClass[kClassCapacity];
        DWORD classChars = kClassCapacity;
        LONG rc = RegEnumKeyExA(source, index, name, &nameChars, nullptr, keyClass, &classChars, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (rc != ERROR_SUCCESS)
            return rc;

        ScopedKey destinationSubkey;
        DWORD disposition = 0;
        rc = RegCreateKeyExA(destination, name, 0, classChars != 0 ? keyClass : nullptr,
                             REG_OPTION_NON_VOLATILE, kKeyAccess, nullptr, destinationSubkey.Out(),
                             &disposition);
        if (rc != ERROR_SUCCESS)
            return rc;

        rc = CopyKeyValues(source, name, destinationSubkey);
        if (rc != ERROR_SUCCESS)
            return rc;

        ScopedKey sourceSubkey;
        rc = RegOpenKeyExA(source, name, 0, kKeyAccess, sourceSubkey.Out());
        if (rc != ERROR_SUCCESS)
            return rc;

        rc = CopyKeyTree(destinationSubkey, sourceSubkey);
        sourceSubkey.Close();
        destinationSubkey.Close();
        if (rc != ERROR_SUCCESS)
            return rc;
    }
}

LONG DeleteKeyTree(HKEY parent, const char *subkeyName)
{
    {
        ScopedKey key;
        LONG rc = RegOpenKeyExA(parent, subkeyName, 0, kKeyAccess, key.Out());
        if (rc != ERROR_SUCCESS)
            return rc;
        // Always the first subkey: each pass deletes it, so the next one moves up.
        for (;;) {
            char name[kNameCapacity];
            DWORD nameChars = kNameCapacity;
            rc = RegEnumKeyExA(key, 0, name, &nameChars, nullptr, nullptr, nullptr, nullptr);
            if (rc == ERROR_NO_MORE_ITEMS)
                break;
            if (rc != ERROR_SUCCESS)
                return rc;
            rc = DeleteKeyTree(key, name);
            if (rc != ERROR_SUCCESS)
                return rc;
        }
    }
    return RegDeleteKeyA(parent, subkeyName);
}
