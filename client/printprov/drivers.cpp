// qvprov: the printer driver queries. The printer object's attribute 3299
// holds one driver description per client platform; the description of
// this platform (3301) answers GetPrinterDriver and gives the directory of
// GetPrinterDriverDirectory.
#include "entries.h"
#include "attributes.h"
#include "cache.h"
#include "query.h"

#include <stdlib.h>
#include <string.h>
#include <new>

namespace {

BOOL Failure(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

// The part of text after its last backslash (all of it without one),
// stepping over double-byte characters, whose trail byte may be a backslash.
const char *LastBackslash(const char *text)
{
    const char *found = nullptr;
    for (const char *at = text; *at;) {
        if (IsDBCSLeadByte(static_cast<BYTE>(*at)) && at[1]) {
            at += 2;
            continue;
        }
        if (*at == '\\')
            found = at;
        ++at;
    }
    return found;
}

const char *BareName(const char *text)
{
    if (!text)
        return nullptr;
    const char *backslash = LastBackslash(text);
    return backslash ? backslash + 1 : text;
}

// One driver description, unpacked into values of the request's context;
// every value is deleted and the array freed when it goes.
class DriverDescription {
public:
    explicit DriverDescription(QvContext context) : context_(context) { }
    ~DriverDescription() { Release(); }
    DriverDescription(const DriverDescription &) = delete;
    DriverDescription &operator=(const DriverDescription &) = delete;

    QvStatus Read(QvValue value)
    {
        Release();
        return CC_AVGetDriverInfo(context_, value, &version, &name, &platform, &driverPath, &dataFile,
                                  &configFile, &helpFile, &dependentFiles, &monitorName, &defaultDataType,
                                  &environment);
    }

    void Release()
    {
        for (QvValue *value : {&name, &driverPath, &dataFile, &configFile, &helpFile, &monitorName,
                               &defaultDataType, &environment}) {
            if (*value)
                CC_AVDel(context_, *value);
            *value = 0;
        }
        if (dependentFiles) {
            for (QvValue *file = dependentFiles; *file; ++file)
                CC_AVDel(context_, *file);
            free(dependentFiles);
        }
        dependentFiles = nullptr;
        version = 0;
        platform = 0;
    }

    int32_t version = 0;
    QvValue name = 0;
    int32_t platform = 0;
    QvValue driverPath = 0;
    QvValue dataFile = 0;
    QvValue configFile = 0;
    QvValue helpFile = 0;
    QvValue *dependentFiles = nullptr; /* ended by 0 */
    QvValue monitorName = 0;
    QvValue defaultDataType = 0;
    QvValue environment = 0; /* not used, but ours to delete */

private:
    QvContext context_;
};

// A text value read as text; the text is released with free.
class ValueText {
public:
    ~ValueText()
    {
        free(text);
        free(other);
    }
    QvStatus Read(QvContext context, QvValue value)
    {
        int32_t code = 0;
        return CC_AVGetText(context, value, &code, &text, &other);
    }
    char *text = nullptr;
    char *other = nullptr;
};

// Writes the fields of one driver record at the cursor, each at its place
// in the record (pointers are 8-byte aligned in the x86-64 build). The
// first failing read is kept; the fields go on being counted.
class DriverRecordWriter {
public:
    DriverRecordWriter(QvContext context, BufferCursor *cursor) : context_(context), cursor_(cursor) { }

    void Number(uint32_t value)
    {
        AlignField(cursor_, &offset_, alignof(uint32_t));
        offset_ += sizeof(uint32_t);
        PackNumber(cursor_, value);
    }

    void Constant(const char *text)
    {
        Pointer();
        PackConstantText(cursor_, text);
    }

    // A simple name, as it comes.
    void Name(QvValue value)
    {
        Pointer();
        if (!value) {
            PackNullPointer(cursor_);
            return;
        }
        uint8_t kind = 0;
        char *text = nullptr;
        uint32_t *length = nullptr;
        QvStatus status = CC_AVGetSimpleName(context_, value, &kind, &text, &length);
        Keep(status);
        PackStringField(cursor_, status == QV_STATUS_OK ? text : nullptr);
        free(text);
        free(length);
    }

    // A text, cut down to its bare file name.
    void File(QvValue value)
    {
        Pointer();
        if (!value) {
            PackNullPointer(cursor_);
            return;
        }
        ValueText text;
        Keep(text.Read(context_, value));
        PackStringField(cursor_, BareName(text.text));
    }

    // The bare file names as one multi-string. A name that is empty is left
    // out: it would end the block early and hide the names after it.
    void Files(const QvValue *files)
    {
        Pointer();
        size_t count = 0;
        for (const QvValue *file = files; file && *file; ++file)
            ++count;
        ValueText *texts = count ? new (std::nothrow) ValueText[count] : nullptr;
        const char **names = count ? static_cast<const char **>(calloc(count, sizeof(char *))) : nullptr;
        if (count && (!texts || !names)) {
            Keep(QV_STATUS_NO_MEMORY);
            count = 0;
        }
        size_t named = 0;
        for (size_t i = 0; i < count; ++i) {
            Keep(texts[i].Read(context_, files[i]));
            const char *name = BareName(texts[i].text);
            if (name && *name)
                names[named++] = name;
        }
        PackMultiText(cursor_, names, named);
        free(names);
        delete[] texts;
    }

    QvStatus status() const { return status_; }

private:
    void Pointer()
    {
        AlignField(cursor_, &offset_, alignof(char *));
        offset_ += sizeof(char *);
    }

    void Keep(QvStatus status)
    {
        if (status_ == QV_STATUS_OK)
            status_ = status;
    }

    QvContext context_;
    BufferCursor *cursor_;
    uint32_t offset_ = 0;
    QvStatus status_ = QV_STATUS_OK;
};

// The directory part of the first dependent file (what comes before its
// last backslash), as a heap copy; null when it has none.
char *DriverDirectory(QvContext context, const QvValue *files)
{
    if (!files || !files[0])
        return nullptr;
    ValueText text;
    if (text.Read(context, files[0]) != QV_STATUS_OK || !text.text)
        return nullptr;
    const char *backslash = LastBackslash(text.text);
    if (!backslash)
        return nullptr;
    const size_t length = static_cast<size_t>(backslash - text.text);
    char *directory = static_cast<char *>(malloc(length + 1));
    if (directory) {
        memcpy(directory, text.text, length);
        directory[length] = '\0';
    }
    return directory;
}

// Reads this platform's driver description from the query's result and
// writes the record of the level; the call's error code. Every value is
// deleted before this returns, while the result is still the caller's.
DWORD AnswerDriver(PrinterHandle *handle, DWORD level, BufferCursor *cursor, DWORD *needed, char **directory)
{
    const QvContext context = handle->queryRequest;
    ScopedValue instance(context);
    DriverDescription description(context);
    bool taken = false;
    QvStatus status = CC_GetObjectInstance(context, 0, instance.out());
    if (status == QV_STATUS_OK)
        status = CC_FindAttributeType(context, QV_GROUP_RESULT, 0, kAttrDriverList);
    while (status == QV_STATUS_OK && !taken) {
        ScopedValue value(context);
        status = CC_GetValueIncr(context, QV_GROUP_RESULT, value.out());
        if (status == QV_STATUS_NO_VALUE_LEFT) {
            status = QV_STATUS_OK;
            break;
        }
        if (status != QV_STATUS_OK || !value.get())
            continue; // a value-less entry describes no driver
        status = description.Read(value.get());
        if (status == QV_STATUS_OK)
            status = value.Delete();
        taken = status == QV_STATUS_OK && description.platform == kPlatformWin95;
        if (!taken)
            description.Release();
    }
    if (status != QV_STATUS_OK || !taken)
        return ERROR_FILE_NOT_FOUND;

    if (directory)
        *directory = DriverDirectory(context, description.dependentFiles);
    DriverRecordWriter record(context, cursor);
    if (level == 1) {
        record.File(description.name);
    } else {
        record.Number(static_cast<uint32_t>(description.version));
        record.Name(description.name);
        record.Constant(g_provider.environmentName);
        record.File(description.driverPath);
        record.File(description.dataFile);
        record.File(description.configFile);
        if (level == 3) {
            record.File(description.helpFile);
            record.Files(description.dependentFiles);
            record.File(description.monitorName);
            record.File(description.defaultDataType);
        }
    }
    // A description that cannot be read whole is no answer.
    if (record.status() != QV_STATUS_OK)
        return ERROR_FILE_NOT_FOUND;
    *needed = cursor->needed;
    return cursor->needed > cursor->size ? ERROR_INSUFFICIENT_BUFFER : ERROR_SUCCESS;
}

const ConversionRow kDriverInfoTable[] = {
    {0, kAttrDriverList, NullField}, // only asked for; driver records are not converted by rows
    {0, 0, nullptr},
};

// The common worker of GetPrinterDriver and GetPrinterDriverDirectory.
// Handle's lock held. TRUE, or FALSE with the last error set.
BOOL DriverQuery(PrinterHandle *handle, DWORD level, LPBYTE buffer, DWORD size, DWORD *needed,
                 char **directory)
{
    BufferCursor cursor;
    InitCursor(&cursor, buffer, size);
    if (!ObjectQuery(handle, kCallGetPrinterDriver, kClassPrinter, handle->printer, kDriverInfoTable)) {
        ReleaseQueryResult(handle);
        return FALSE;
    }
    const DWORD error = AnswerDriver(handle, level, &cursor, needed, directory);
    ReleaseQueryResult(handle);
    return error == ERROR_SUCCESS ? TRUE : Failure(error);
}

bool SameEnvironment(const char *environment)
{
    return environment && g_provider.environmentName
        && lstrcmpA(environment, g_provider.environmentName) == 0;
}

} // namespace

BOOL WINAPI EnumPrinterDrivers(LPSTR name, LPSTR environment, DWORD level, LPBYTE info, DWORD size,
                               LPDWORD needed, LPDWORD returned)
{
    return Failure(ERROR_INVALID_NAME);
}

BOOL WINAPI GetPrinterDriver(HANDLE printer, LPSTR environment, DWORD level, LPBYTE info, DWORD size,
                             LPDWORD needed)
{
    HandleRef ref(printer);
    if (ref && !ref->printer)
        return Failure(ERROR_INVALID_NAME); // a server handle names no printer
    if (!SameEnvironment(environment))
        return Failure(ERROR_INVALID_NAME);
    if ((!info && size != 0) || !needed)
        return Failure(ERROR_INVALID_PARAMETER);
    if (level < 1 || level > 3)
        return Failure(ERROR_INVALID_LEVEL);
    if (!ref)
        return Failure(ERROR_INVALID_HANDLE);
    LockGuard hold(ref->lock);
    if (!HandleOpen(ref.get()))
        return Failure(ERROR_INVALID_HANDLE);
    return DriverQuery(ref.get(), level, info, size, needed, nullptr);
}

BOOL WINAPI GetPrinterDriverDirectory(LPSTR name, LPSTR environment, DWORD level, LPBYTE info, DWORD size,
                                      LPDWORD needed)
{
    if (!name)
        return Failure(ERROR_INVALID_NAME);
    if (!needed)
        return Failure(ERROR_INVALID_PARAMETER);
    HANDLE temporary = nullptr;
    if (!OpenPrinter(name, &temporary, nullptr))
        return Failure(ERROR_INVALID_NAME);
    char *directory = nullptr;
    {
        HandleRef ref(temporary);
        if (ref) {
            LockGuard hold(ref->lock);
            DWORD scratch = 0;
            DriverQuery(ref.get(), 3, nullptr, 0, &scratch, &directory);
        }
    }
    ClosePrinter(temporary);
    if (!directory)
        return Failure(ERROR_INVALID_NAME);
    *needed = static_cast<DWORD>(strlen(directory)) + 1;
    // A null buffer holds nothing, whatever size came with it.
    const bool fits = info && *needed <= size;
    if (fits)
        memcpy(info, directory, *needed);
    free(directory);
    return fits ? TRUE : Failure(ERROR_INSUFFICIENT_BUFFER);
}

BOOL WINAPI GetPrintProcessorDirectory(LPSTR name, LPSTR environment, DWORD level, LPBYTE info, DWORD size,
                                       LPDWORD needed)
{
    return Failure(ERROR_INVALID_NAME);
}
