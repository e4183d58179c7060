// qvprov: the buffer cursor, the handler kinds that fill one record field
// each, and the conversion tables of the job and printer records.
#include "conversion.h"
#include "attributes.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

constexpr uint32_t kNumberSize = sizeof(uint32_t);
constexpr uint32_t kPointerSize = sizeof(char *);
constexpr uint32_t kTimeSize = sizeof(SYSTEMTIME);
// String resource ids are 16-bit: a larger identifier must not alias one.
constexpr int32_t kLargestStringId = 0xFFFF;
// A job size beyond 32 bits.
constexpr uint32_t kSizeBeyond32Bits = 0xFFFFFFFF;

void WriteNumber(BufferCursor *cursor, uint32_t value)
{
    memcpy(cursor->next, &value, sizeof value);
    cursor->next += sizeof value;
}

void WritePointer(BufferCursor *cursor, const char *pointer)
{
    memcpy(cursor->next, &pointer, sizeof pointer);
    cursor->next += sizeof pointer;
}

// A text the provider owns for the length of one field: short texts stay in
// place, longer ones on the heap. Nothing here throws.
class FieldText {
public:
    FieldText() = default;
    ~FieldText() { Clear(); }
    FieldText(const FieldText &) = delete;
    FieldText &operator=(const FieldText &) = delete;

    /* null: no text at all (a null pointer in the record). */
    const char *get() const { return present_ ? data_ : nullptr; }

    /* The parts one after another; false when memory ran out. */
    bool Assign(std::initializer_list<const char *> parts)
    {
        size_t length = 0;
        for (const char *part : parts)
            length += part ? strlen(part) : 0;
        if (!Reserve(length + 1))
            return false;
        char *at = data_;
        for (const char *part : parts) {
            const size_t n = part ? strlen(part) : 0;
            memcpy(at, part, n);
            at += n;
        }
        *at = '\0';
        present_ = true;
        return true;
    }

    /* The first length characters of text. */
    bool Assign(const char *text, size_t length)
    {
        if (!Reserve(length + 1))
            return false;
        memcpy(data_, text, length);
        data_[length] = '\0';
        present_ = true;
        return true;
    }

    void Clear()
    {
        if (data_ != inline_)
            free(data_);
        data_ = inline_;
        capacity_ = sizeof inline_;
        present_ = false;
    }

private:
    bool Reserve(size_t size)
    {
        if (size <= capacity_)
            return true;
        char *heap = static_cast<char *>(malloc(size));
        if (!heap)
            return false;
        if (data_ != inline_)
            free(data_);
        data_ = heap;
        capacity_ = size;
        return true;
    }

    char inline_[128];
    char *data_ = inline_;
    size_t capacity_ = sizeof inline_;
    bool present_ = false;
};

// How one attribute of the current result object was read.
enum class Found {
    Value,     // *value holds the attribute's next value; the caller deletes it
    Valueless, // the attribute is there without a value
    Absent,    // status -5: not an error
    Failed,    // *status holds the failing status
};

// Finds the attribute in the current result object (group 2) and takes its
// next value.
Found FindValue(const PrinterHandle *handle, uint32_t type, QvValue *value, QvStatus *status)
{
    *value = 0;
    *status = CC_FindAttributeType(handle->queryRequest, QV_GROUP_RESULT, 0, static_cast<int32_t>(type));
    if (*status == QV_STATUS_ATTRIBUTE_ABSENT) {
        *status = QV_STATUS_OK;
        return Found::Absent;
    }
    if (*status == QV_STATUS_OK)
        *status = CC_GetValueIncr(handle->queryRequest, QV_GROUP_RESULT, value);
    if (*status != QV_STATUS_OK)
        return Found::Failed;
    return *value ? Found::Value : Found::Valueless;
}

// A handler's failure: the status becomes the thread's last error.
int Fail(QvStatus status)
{
    MapStatus(status);
    return 0;
}

// The number kinds: the field counts 4 bytes; nothing is read once it no
// longer fits. read(context, value, &number) reads a present value.
template<typename Reader>
int NumberField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t valueless, Reader read)
{
    cursor->needed += kNumberSize;
    if (!Fits(cursor))
        return 1;
    QvValue value = 0;
    QvStatus status = QV_STATUS_OK;
    uint32_t number = 0;
    switch (FindValue(handle, type, &value, &status)) {
    case Found::Value:
        status = read(handle->queryRequest, value, &number);
        CC_AVDel(handle->queryRequest, value);
        break;
    case Found::Valueless:
        number = valueless;
        break;
    case Found::Absent:
    case Found::Failed:
        break;
    }
    if (status != QV_STATUS_OK) {
        WriteNumber(cursor, 0);
        return Fail(status);
    }
    WriteNumber(cursor, number);
    return 1;
}

// The text kinds: the attribute is read even once the field no longer
// fits, to count its text. read(context, value, &text) reads a present value
// into text (leaving it null for no text). A valueless attribute gives a
// null text that counts 1 byte; an absent or unreadable one a null pointer
// with no text counted.
template<typename Reader>
int TextField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, Reader read)
{
    QvValue value = 0;
    QvStatus status = QV_STATUS_OK;
    FieldText text;
    switch (FindValue(handle, type, &value, &status)) {
    case Found::Value:
        status = read(handle->queryRequest, value, &text);
        CC_AVDel(handle->queryRequest, value);
        break;
    case Found::Valueless:
        break;
    case Found::Absent:
        PackNullPointer(cursor);
        return 1;
    case Found::Failed:
        break;
    }
    if (status != QV_STATUS_OK) {
        PackNullPointer(cursor);
        return Fail(status);
    }
    PackStringField(cursor, text.get());
    return 1;
}

// The text part of a simple name, released with CC_AVFree.
QvStatus ReadSimpleName(QvContext context, QvValue value, FieldText *text)
{
    uint8_t kind = 0;
    char *name = nullptr;
    QvStatus status = CC_AVGetSimpleName(context, value, &kind, &name, nullptr);
    if (status == QV_STATUS_OK && name && !text->Assign({name}))
        status = QV_STATUS_NO_MEMORY;
    CC_AVFree(context, name);
    return status;
}

QvStatus ReadDescriptor(QvContext context, QvValue value, FieldText *text)
{
    int32_t kind = 0;
    char *first = nullptr;
    char *other = nullptr;
    QvStatus status = CC_AVGetDescriptor(context, value, &kind, &first, &other);
    if (status == QV_STATUS_OK && first && !text->Assign({first}))
        status = QV_STATUS_NO_MEMORY;
    CC_AVFree(context, first);
    CC_AVFree(context, other);
    return status;
}

QvStatus ReadIdentifierText(QvContext context, QvValue value, FieldText *text)
{
    int32_t number = 0;
    QvStatus status = CC_AVGetIdentifier(context, value, &number);
    if (status != QV_STATUS_OK)
        return status;
    char buffer[kIdentifierTextSize];
    IdentifierText(number, buffer);
    return text->Assign({buffer}) ? QV_STATUS_OK : QV_STATUS_NO_MEMORY;
}

// The name part of a distinguished name: an identifier reads as its text
// ("nis" for 3044), a simple name as its first length characters.
QvStatus ReadNamePart(QvContext context, QvValue namePart, FieldText *name)
{
    ScopedValue nameValue(context);
    QvStatus status = CC_AVGetNameOrOID(context, namePart, nameValue.out());
    if (status != QV_STATUS_OK)
        return status;
    const int32_t syntax = CC_AVType(context, nameValue.get());
    if (syntax < 0)
        return syntax; // a status, not a syntax
    if (syntax == QV_SYNTAX_IDENTIFIER) {
        status = ReadIdentifierText(context, nameValue.get(), name);
    } else {
        uint8_t kind = 0;
        char *text = nullptr;
        uint32_t *length = nullptr;
        status = CC_AVGetSimpleName(context, nameValue.get(), &kind, &text, &length);
        if (status == QV_STATUS_OK && text) {
            // The length word is the library's; it never reaches past the text.
            size_t count = strlen(text);
            if (length && *length < count)
                count = *length;
            if (!name->Assign(text, count))
                status = QV_STATUS_NO_MEMORY;
        }
        CC_AVFree(context, text);
        CC_AVFree(context, length);
    }
    if (status == QV_STATUS_OK)
        status = nameValue.Delete();
    return status;
}

// "name:text", or the text alone without a name, or the name alone without
// a text.
QvStatus ReadDistinguishedName(QvContext context, QvValue value, FieldText *result)
{
    ScopedValue textPart(context);
    ScopedValue namePart(context);
    QvStatus status = CC_AVGetDistNameString(context, value, textPart.out(), namePart.out());
    FieldText text;
    if (status == QV_STATUS_OK && textPart.get()) {
        int32_t code = 0;
        char *part = nullptr;
        char *other = nullptr;
        status = CC_AVGetText(context, textPart.get(), &code, &part, &other);
        if (status == QV_STATUS_OK && part && !text.Assign({part}))
            status = QV_STATUS_NO_MEMORY;
        free(part);
        free(other);
        if (status == QV_STATUS_OK)
            status = textPart.Delete();
    }
    FieldText name;
    if (status == QV_STATUS_OK && namePart.get()) {
        status = ReadNamePart(context, namePart.get(), &name);
        if (status == QV_STATUS_OK)
            status = namePart.Delete();
    }
    if (status != QV_STATUS_OK)
        return status;
    bool made = true;
    if (name.get() && text.get())
        made = result->Assign({name.get(), ":", text.get()});
    else if (name.get())
        made = result->Assign({name.get()});
    else if (text.get())
        made = result->Assign({text.get()});
    return made ? QV_STATUS_OK : QV_STATUS_NO_MEMORY;
}

// The identifier text of the job that the handle's queryInstance names.
QvStatus ReadInstanceJobIdentifier(const PrinterHandle *handle, FieldText *text)
{
    const QvContext context = handle->queryRequest;
    ScopedValue identification(context);
    QvStatus status = CC_AVGetObjIdentification(context, handle->queryInstance, identification.out());
    if (status != QV_STATUS_OK)
        return status;
    char *id = nullptr;
    status = CC_AVGetJobIdentifier(context, identification.get(), &id);
    if (status == QV_STATUS_OK && !text->Assign({id ? id : ""}))
        status = QV_STATUS_NO_MEMORY;
    CC_AVFree(context, id);
    if (status == QV_STATUS_OK)
        status = identification.Delete();
    return status;
}

uint32_t JobStatusOf(int32_t state)
{
    switch (state) {
    case kJobStatePreProcessing:
    case kJobStatePending:
    case kJobStateProcessing:
        return JOB_STATUS_SPOOLING;
    case kJobStateInterrupted:
        return JOB_STATUS_PAPEROUT;
    case kJobStateRetained:
    case kJobStateHeld:
        return JOB_STATUS_OFFLINE;
    case kJobStatePaused:
        return JOB_STATUS_PAUSED;
    case kJobStateTerminating:
        return JOB_STATUS_DELETING;
    case kJobStateError:
        return JOB_STATUS_ERROR;
    case kJobStateCompleted:
        return JOB_STATUS_PRINTED;
    case kJobStatePrinting:
        return JOB_STATUS_PRINTING;
    default: // "Unknown" and any identifier outside the states
        return 0;
    }
}

// Local time to UTC with the platform's own calls. A call that fails leaves
// the time as it stood before that call.
void LocalToUtc(SYSTEMTIME *time)
{
    FILETIME local;
    FILETIME utc;
    if (!SystemTimeToFileTime(time, &local) || !LocalFileTimeToFileTime(&local, &utc))
        return;
    SYSTEMTIME converted;
    if (FileTimeToSystemTime(&utc, &converted))
        *time = converted;
}

// The size and alignment of a kind's field. Used by the x86-64 build only,
// whose records have pointers of 8 bytes at 8-byte places.
struct FieldShape {
    uint32_t size;
    uint32_t alignment;
};

FieldShape ShapeOf(FieldHandler convert)
{
    if (convert == TimeField)
        return {kTimeSize, alignof(SYSTEMTIME)};
    const FieldHandler pointerKinds[] = {
        IdentifierTextField, SimpleNameTextField, DescriptorTextField, DistinguishedNameField, DocumentField,
        PrinterPathField,    NullField,           ServerPathField,     HandlePrinterNameField,
    };
    for (FieldHandler kind : pointerKinds) {
        if (convert == kind)
            return {kPointerSize, alignof(char *)};
    }
    return {kNumberSize, alignof(uint32_t)};
}

} // namespace

// ---- The cursor ----------------------------------------------------------------

void InitCursor(BufferCursor *cursor, void *buffer, uint32_t size)
{
    cursor->base = static_cast<BYTE *>(buffer);
    cursor->next = cursor->base;
    cursor->size = buffer ? size : 0;
    cursor->top = buffer && size ? cursor->base + size - 1 : nullptr;
    cursor->needed = 0;
    cursor->records = 0;
}

uint32_t PackedSize(const char *text)
{
    return text ? static_cast<uint32_t>(strlen(text)) + 1 : 1;
}

void PackText(char **field, const char *text, BufferCursor *cursor)
{
    if (!text) {
        *field = nullptr;
        return;
    }
    const size_t length = strlen(text);
    cursor->top -= length;
    memcpy(cursor->top, text, length + 1); // the terminator lands on the old top
    *field = reinterpret_cast<char *>(cursor->top);
    cursor->top -= 1;
}

void PackConstantText(BufferCursor *cursor, const char *text)
{
    cursor->needed += kPointerSize + (text ? PackedSize(text) : 0);
    if (!Fits(cursor))
        return;
    char *field = nullptr;
    PackText(&field, text, cursor);
    WritePointer(cursor, field);
}

void PackStringField(BufferCursor *cursor, const char *text)
{
    cursor->needed += kPointerSize + PackedSize(text);
    if (!Fits(cursor))
        return;
    char *field = nullptr;
    PackText(&field, text, cursor);
    WritePointer(cursor, field);
}

void PackNullPointer(BufferCursor *cursor)
{
    cursor->needed += kPointerSize;
    if (Fits(cursor))
        WritePointer(cursor, nullptr);
}

void PackMultiText(BufferCursor *cursor, const char *const *texts, size_t count)
{
    cursor->needed += kPointerSize;
    if (count == 0) {
        if (Fits(cursor))
            WritePointer(cursor, nullptr);
        return;
    }
    cursor->needed += 1;
    if (Fits(cursor)) {
        *cursor->top = '\0';
        cursor->top -= 1;
    }
    char *field = nullptr;
    for (size_t i = 0; i < count; ++i) {
        cursor->needed += PackedSize(texts[i]);
        if (Fits(cursor))
            PackText(&field, texts[i], cursor);
    }
    if (Fits(cursor))
        WritePointer(cursor, field);
}

void PackNumber(BufferCursor *cursor, uint32_t value)
{
    cursor->needed += kNumberSize;
    if (Fits(cursor))
        WriteNumber(cursor, value);
}

void AlignField(BufferCursor *cursor, uint32_t *offset, uint32_t alignment)
{
    const uint32_t padding = (alignment - *offset % alignment) % alignment;
    if (padding == 0)
        return;
    *offset += padding;
    cursor->needed += padding;
    if (Fits(cursor)) {
        memset(cursor->next, 0, padding);
        cursor->next += padding;
    }
}

void IdentifierText(int32_t number, char *text)
{
    // A missing string is no error of the call: the last error stays as it was.
    const DWORD lastError = GetLastError();
    const bool loaded = number > 0 && number <= kLargestStringId
        && LoadStringA(g_provider.module, static_cast<UINT>(number), text, kIdentifierTextSize) > 0;
    SetLastError(lastError);
    if (!loaded)
        snprintf(text, kIdentifierTextSize, "%ld", static_cast<long>(number));
}

// ---- Kinds that read a number --------------------------------------------------

int CardinalField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t)
{
    return NumberField(handle, cursor, type, 0, [](QvContext context, QvValue value, uint32_t *number) {
        return CC_AVGetCardinal(context, value, number);
    });
}

// Sizes beyond 32 bits read as 0xFFFFFFFF.
int Cardinal64Field(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t)
{
    return NumberField(handle, cursor, type, 0, [](QvContext context, QvValue value, uint32_t *number) {
        uint32_t high = 0;
        uint32_t low = 0;
        QvStatus status = CC_AVGetCardinal64(context, value, &high, &low);
        *number = high == 0 ? low : kSizeBeyond32Bits;
        return status;
    });
}

int DeltaTimeField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t)
{
    return NumberField(handle, cursor, type, 0, [](QvContext context, QvValue value, uint32_t *number) {
        int32_t seconds = 0;
        QvStatus status = CC_AVGetDeltaTime(context, value, &seconds);
        *number = static_cast<uint32_t>(seconds);
        return status;
    });
}

int PositiveIntegerField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t)
{
    return NumberField(handle, cursor, type, 0, [](QvContext context, QvValue value, uint32_t *number) {
        return CC_AVGetPositiveInteger(context, value, number);
    });
}

// The priority is the low 16 bits, signed: 0xFFFF reads as -1.
int PriorityField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t)
{
    return NumberField(handle, cursor, type, 0, [](QvContext context, QvValue value, uint32_t *number) {
        int32_t priority = 0;
        QvStatus status = CC_AVGetPriority(context, value, &priority);
        *number = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(priority & 0xFFFF)));
        return status;
    });
}

// The identifier's leading decimal number ("5-srv1" is job 5).
int JobIdField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t)
{
    return NumberField(handle, cursor, type, 0, [](QvContext context, QvValue value, uint32_t *number) {
        char *text = nullptr;
        QvStatus status = CC_AVGetJobIdentifier(context, value, &text);
        *number = status == QV_STATUS_OK && text ? static_cast<uint32_t>(atol(text)) : 0;
        CC_AVFree(context, text);
        return status;
    });
}

int JobStatusField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t)
{
    return NumberField(handle, cursor, type, 0, [](QvContext context, QvValue value, uint32_t *number) {
        int32_t state = 0;
        QvStatus status = CC_AVGetIdentifier(context, value, &state);
        *number = JobStatusOf(state);
        return status;
    });
}

// A printer that is not marked online, or whose state has no value, is offline.
int PrinterStatusField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t)
{
    return NumberField(handle, cursor, type, kPrinterOffline,
                       [](QvContext context, QvValue value, uint32_t *number) {
                           int32_t online = 0;
                           QvStatus status = CC_AVGetBoolean(context, value, &online);
                           *number = online ? kPrinterOnline : kPrinterOffline;
                           return status;
                       });
}

// The submission time, taken as local time and written as UTC. Without a
// readable time: 1900-01-01 00:00:00 local time, converted the same way.
int TimeField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t)
{
    cursor->needed += kTimeSize;
    if (!Fits(cursor))
        return 1;
    SYSTEMTIME time = {1900, 1, 1, 1, 0, 0, 0, 0};
    QvValue value = 0;
    QvStatus status = QV_STATUS_OK;
    if (FindValue(handle, type, &value, &status) == Found::Value) {
        uint16_t day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;
        status = CC_AVGetGeneralizedTime(handle->queryRequest, value, &day, &month, &year, &hour, &minute,
                                         &second);
        CC_AVDel(handle->queryRequest, value);
        if (status == QV_STATUS_OK) {
            time.wDay = day;
            time.wMonth = month;
            time.wYear = year;
            time.wHour = hour;
            time.wMinute = minute;
            time.wSecond = second;
        }
    }
    LocalToUtc(&time);
    memcpy(cursor->next, &time, sizeof time);
    cursor->next += sizeof time;
    return status == QV_STATUS_OK ? 1 : Fail(status);
}

// ---- Kinds that build a text ---------------------------------------------------

int IdentifierTextField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t)
{
    return TextField(handle, cursor, type, ReadIdentifierText);
}

int SimpleNameTextField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t)
{
    return TextField(handle, cursor, type, ReadSimpleName);
}

int DescriptorTextField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t)
{
    return TextField(handle, cursor, type, ReadDescriptor);
}

int DistinguishedNameField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t)
{
    return TextField(handle, cursor, type, ReadDistinguishedName);
}

// "[job identifier] job name", or "[job identifier]" for a job without a name.
int DocumentField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t)
{
    QvValue value = 0;
    QvStatus status = QV_STATUS_OK;
    FieldText name;
    if (FindValue(handle, type, &value, &status) == Found::Value) {
        status = ReadSimpleName(handle->queryRequest, value, &name);
        CC_AVDel(handle->queryRequest, value);
    }
    FieldText id;
    if (status == QV_STATUS_OK)
        status = ReadInstanceJobIdentifier(handle, &id);
    FieldText text;
    if (status == QV_STATUS_OK) {
        const bool made
            = name.get() ? text.Assign({"[", id.get(), "] ", name.get()}) : text.Assign({"[", id.get(), "]"});
        if (!made)
            status = QV_STATUS_NO_MEMORY;
    }
    if (status != QV_STATUS_OK) {
        PackNullPointer(cursor);
        return Fail(status);
    }
    PackStringField(cursor, text.get());
    return 1;
}

// "\\server.KINDdomain\printer"; the empty text when the printer's name is
// absent or has no value.
int PrinterPathField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t)
{
    QvValue value = 0;
    QvStatus status = QV_STATUS_OK;
    FieldText name;
    if (FindValue(handle, type, &value, &status) == Found::Value) {
        status = ReadSimpleName(handle->queryRequest, value, &name);
        CC_AVDel(handle->queryRequest, value);
    }
    FieldText text;
    if (status == QV_STATUS_OK) {
        const bool made = name.get()
            ? text.Assign({"\\\\", handle->server, ".", NameServicePrefix(handle->domainKind), handle->domain,
                           "\\", name.get()})
            : text.Assign({""});
        if (!made)
            status = QV_STATUS_NO_MEMORY;
    }
    if (status != QV_STATUS_OK) {
        PackNullPointer(cursor);
        return Fail(status);
    }
    PackStringField(cursor, text.get());
    return 1;
}

// ---- Kinds that read no attribute ----------------------------------------------

int NullField(PrinterHandle *, BufferCursor *cursor, uint32_t, uint32_t)
{
    PackNullPointer(cursor);
    return 1;
}

int ZeroField(PrinterHandle *, BufferCursor *cursor, uint32_t, uint32_t)
{
    PackNumber(cursor, 0);
    return 1;
}

int ConstantField(PrinterHandle *, BufferCursor *cursor, uint32_t, uint32_t extra)
{
    PackNumber(cursor, extra);
    return 1;
}

// "\\server.KINDdomain".
int ServerPathField(PrinterHandle *handle, BufferCursor *cursor, uint32_t, uint32_t)
{
    FieldText text;
    if (!text.Assign({"\\\\", handle->server, ".", NameServicePrefix(handle->domainKind), handle->domain})) {
        PackNullPointer(cursor);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    PackStringField(cursor, text.get());
    return 1;
}

int HandlePrinterNameField(PrinterHandle *handle, BufferCursor *cursor, uint32_t, uint32_t)
{
    PackStringField(cursor, handle->printer);
    return 1;
}

// ---- The tables ----------------------------------------------------------------

const ConversionRow kJobInfo1Table[] = {
    {0, kAttrJobIdentifier, JobIdField},        // JobId
    {0, 0, NullField},                          // pPrinterName
    {0, 0, NullField},                          // pMachineName
    {0, kAttrJobOwner, DistinguishedNameField}, // pUserName
    {0, kAttrJobName, DocumentField},           // pDocument
    {0, 0, NullField},                          // pDatatype
    {0, kAttrJobState, IdentifierTextField},    // pStatus
    {0, kAttrJobState, JobStatusField},         // Status
    {0, kAttrJobPriority, PriorityField},       // Priority
    {0, kAttrJobPosition, CardinalField},       // Position
    {0, kAttrTotalPages, CardinalField},        // TotalPages
    {0, kAttrPagesPrinted, CardinalField},      // PagesPrinted
    {0, kAttrJobSubmitted, TimeField},          // Submitted
    {0, 0, nullptr},
};

const ConversionRow kJobInfo2Table[] = {
    {0, kAttrJobIdentifier, JobIdField},        // JobId
    {0, 0, NullField},                          // pPrinterName
    {0, 0, NullField},                          // pMachineName
    {0, kAttrJobOwner, DistinguishedNameField}, // pUserName
    {0, kAttrJobName, DocumentField},           // pDocument
    {0, 0, NullField},                          // pNotifyName
    {0, 0, NullField},                          // pDatatype
    {0, 0, NullField},                          // pPrintProcessor
    {0, 0, NullField},                          // pParameters
    {0, 0, NullField},                          // pDriverName
    {0, 0, NullField},                          // pDevMode
    {0, kAttrJobState, IdentifierTextField},    // pStatus
    {0, 0, NullField},                          // pSecurityDescriptor
    {0, kAttrJobState, JobStatusField},         // Status
    {0, 0, ZeroField},                          // Priority
    {0, 0, ZeroField},                          // Position
    {0, 0, ZeroField},                          // StartTime
    {0, 0, ZeroField},                          // UntilTime
    {0, kAttrTotalPages, CardinalField},        // TotalPages
    {0, kAttrJobSize, Cardinal64Field},         // Size
    {0, kAttrJobSubmitted, TimeField},          // Submitted
    {0, kAttrJobTime, DeltaTimeField},          // Time
    {0, kAttrPagesPrinted, CardinalField},      // PagesPrinted
    {0, 0, nullptr},
};

const ConversionRow kPrinterInfo1Table[] = {
    {kPrinterInfo1Flags, 0, ConstantField},           // Flags
    {0, kAttrPrinterObjectName, SimpleNameTextField}, // pDescription
    {0, kAttrPrinterObjectName, PrinterPathField},    // pName
    {0, kAttrPrinterComment, DescriptorTextField},    // pComment
    {0, 0, nullptr},
};

const ConversionRow kPrinterInfo2Table[] = {
    {0, 0, ServerPathField},                        // pServerName
    {0, 0, HandlePrinterNameField},                 // pPrinterName
    {0, 0, NullField},                              // pShareName
    {0, 0, NullField},                              // pPortName
    {0, 0, NullField},                              // pDriverName
    {0, kAttrPrinterComment, DescriptorTextField},  // pComment
    {0, kAttrPrinterLocation, DescriptorTextField}, // pLocation
    {0, 0, NullField},                              // pDevMode
    {0, 0, NullField},                              // pSepFile
    {0, 0, NullField},                              // pPrintProcessor
    {0, 0, NullField},                              // pDatatype
    {0, 0, NullField},                              // pParameters
    {0, 0, NullField},                              // pSecurityDescriptor
    {kPrinterAttributes, 0, ConstantField},         // Attributes
    {0, 0, ZeroField},                              // Priority
    {0, 0, ZeroField},                              // DefaultPriority
    {0, 0, ZeroField},                              // StartTime
    {0, 0, ZeroField},                              // UntilTime
    {0, kAttrPrinterState, PrinterStatusField},     // Status
    {0, kAttrJobCount, CardinalField},              // cJobs
    {0, kAttrPagesPerMinute, PositiveIntegerField}, // AveragePPM
    {0, 0, nullptr},
};

// Needs nothing from the server.
const ConversionRow kPrinterInfo5Table[] = {
    {0, 0, NullField},                      // pPrinterName
    {0, 0, NullField},                      // pPortName
    {kPrinterAttributes, 0, ConstantField}, // Attributes
    {0, 0, ZeroField},                      // DeviceNotSelectedTimeout
    {0, 0, ZeroField},                      // TransmissionRetryTimeout
    {0, 0, nullptr},
};

const ConversionRow *const kPrinterTables[kPrinterLevels] = {
    nullptr, kPrinterInfo1Table, kPrinterInfo2Table, nullptr, nullptr, kPrinterInfo5Table,
};

const ConversionRow *const kJobTables[kJobLevels] = {nullptr, kJobInfo1Table, kJobInfo2Table};

void ConvertObject(PrinterHandle *handle, BufferCursor *cursor, const ConversionRow *table)
{
    // Padding exists only where pointers are wider than the 32-bit fields.
    constexpr bool kPadded = sizeof(char *) > sizeof(uint32_t);
    uint32_t offset = 0;
    for (const ConversionRow *row = table; row->convert; ++row) {
        if (kPadded) {
            const FieldShape shape = ShapeOf(row->convert);
            AlignField(cursor, &offset, shape.alignment);
            offset += shape.size;
        }
        row->convert(handle, cursor, row->type, row->extra);
    }
    if (kPadded)
        AlignField(cursor, &offset, alignof(char *));
}
