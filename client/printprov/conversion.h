/*
 * qvprov: the writer of every record answer (the buffer cursor and its text
 * packing), the spooler's job, printer and driver records as it reads them,
 * and the conversion tables that turn a result object's attributes into
 * those records field by field.
 *
 * Fixed parts go one after another from the start of the caller's buffer,
 * texts from its end downward. needed counts every byte the answer needs,
 * also once the buffer is full, so a caller told ERROR_INSUFFICIENT_BUFFER can
 * retry with exactly that size.
 */
#ifndef QVPROV_CONVERSION_H
#define QVPROV_CONVERSION_H

#include "printer_handle.h"

#include <stddef.h>

/* ---- The spooler's records, as it reads them ---------------------------- */

/* The 32-bit layouts of Windows 95. The x86-64 test build keeps the field
 * order with 8-byte pointers, each field at its natural alignment. */
#if !defined(_WIN64)
static_assert(sizeof(JOB_INFO_1A) == 64, "JOB_INFO_1: 64 bytes");
static_assert(offsetof(JOB_INFO_1A, Status) == 28, "JOB_INFO_1 Status at 28");
static_assert(offsetof(JOB_INFO_1A, Submitted) == 48, "JOB_INFO_1 Submitted at 48");
static_assert(sizeof(JOB_INFO_2A) == 104, "JOB_INFO_2: 104 bytes");
static_assert(offsetof(JOB_INFO_2A, Status) == 52, "JOB_INFO_2 Status at 52");
static_assert(offsetof(JOB_INFO_2A, Size) == 76, "JOB_INFO_2 Size at 76");
static_assert(offsetof(JOB_INFO_2A, Submitted) == 80, "JOB_INFO_2 Submitted at 80");
static_assert(offsetof(JOB_INFO_2A, PagesPrinted) == 100, "JOB_INFO_2 PagesPrinted at 100");
static_assert(sizeof(PRINTER_INFO_1A) == 16, "PRINTER_INFO_1: 16 bytes");
static_assert(sizeof(PRINTER_INFO_2A) == 84, "PRINTER_INFO_2: 84 bytes");
static_assert(offsetof(PRINTER_INFO_2A, Attributes) == 52, "PRINTER_INFO_2 Attributes at 52");
static_assert(offsetof(PRINTER_INFO_2A, AveragePPM) == 80, "PRINTER_INFO_2 AveragePPM at 80");
static_assert(sizeof(PRINTER_INFO_5A) == 20, "PRINTER_INFO_5: 20 bytes");
static_assert(sizeof(DRIVER_INFO_1A) == 4, "DRIVER_INFO_1: 4 bytes");
static_assert(sizeof(DRIVER_INFO_2A) == 24, "DRIVER_INFO_2: 24 bytes");
static_assert(sizeof(DRIVER_INFO_3A) == 40, "DRIVER_INFO_3: 40 bytes");
static_assert(offsetof(DRIVER_INFO_3A, pDependentFiles) == 28, "DRIVER_INFO_3 pDependentFiles at 28");
static_assert(sizeof(SYSTEMTIME) == 16, "a SYSTEMTIME field takes 16 bytes");
#endif

/* Values the records carry. */
constexpr uint32_t kPrinterInfo1Flags = PRINTER_ENUM_ICON8;
constexpr uint32_t kPrinterAttributes
    = PRINTER_ATTRIBUTE_RAW_ONLY | PRINTER_ATTRIBUTE_NETWORK | PRINTER_ATTRIBUTE_DIRECT; /* 0x1012 */
static_assert(kPrinterAttributes == 0x1012, "raw only, network, direct");
constexpr uint32_t kPrinterOnline = PRINTER_STATUS_WAITING;                           /* 0x2000 */
constexpr uint32_t kPrinterOffline = PRINTER_STATUS_WAITING | PRINTER_STATUS_OFFLINE; /* 0x2080 */

/* ---- The cursor ------------------------------------------------------------ */

/* Six fields; 32-bit words on Windows 95. */
struct BufferCursor {
    BYTE *base;      /* the caller's buffer, or null */
    BYTE *next;      /* where the next fixed field goes */
    BYTE *top;       /* the last byte still free for texts; null without a buffer */
    uint32_t size;   /* 0 when there is no buffer, whatever size the caller gave */
    uint32_t needed; /* bytes the answer needs so far */
    uint32_t records;
};
#if !defined(_WIN64)
static_assert(sizeof(BufferCursor) == 24, "six 32-bit fields");
#endif

void InitCursor(BufferCursor *cursor, void *buffer, uint32_t size);

/* A text's length + 1; 1 for a null text. */
uint32_t PackedSize(const char *text);

/* Packs text just below the texts packed so far and points *field at it; a
 * null text gives a null pointer and copies nothing. The caller has counted
 * the text in needed and checked that it fits. */
void PackText(char **field, const char *text, BufferCursor *cursor);

/* A pointer field of its own for a given text: counts the pointer and the
 * text (nothing for a null text), and writes both when they fit. */
void PackConstantText(BufferCursor *cursor, const char *text);

/* A string field: counts the pointer and PackedSize of the text (a null
 * text counts 1 and is written as a null pointer), and writes both when
 * they fit. */
void PackStringField(BufferCursor *cursor, const char *text);

/* A pointer field without a text: counts the pointer, writes null when it fits. */
void PackNullPointer(BufferCursor *cursor);

/* A multi-string field: counts the pointer, the closing terminator and each
 * text; the texts are packed in their order, each below the one before, so
 * the field points at the last one and the block read upward lists them in
 * reverse, closed by the extra terminator. No texts: a null pointer. */
void PackMultiText(BufferCursor *cursor, const char *const *texts, size_t count);

/* A 32-bit number field: counts it and writes it when it fits. */
void PackNumber(BufferCursor *cursor, uint32_t value);

/* The padding that puts a field of the given alignment at its place in a
 * record whose fixed part has used *offset bytes so far; the padding is
 * counted, and zeroed when it fits. Never any in the 32-bit build, where
 * every field is 4 bytes (or a 16-byte SYSTEMTIME). */
void AlignField(BufferCursor *cursor, uint32_t *offset, uint32_t alignment);

/* Whether the fixed parts counted so far fit the buffer. */
inline bool Fits(const BufferCursor *cursor)
{
    return cursor->needed <= cursor->size;
}

/* ---- Conversion tables ------------------------------------------------------ */

/* Fills one field from attribute type of the current result object (or from
 * extra, or from the handle). 1 on success, 0 on failure with the thread's
 * last error set; a failure never stops the walk. */
typedef int (*FieldHandler)(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t extra);

/* One field of a record. */
struct ConversionRow {
    uint32_t extra;       /* ConstantField's value; 0 in other rows */
    uint32_t type;        /* the attribute read and requested; 0 for none */
    FieldHandler convert; /* null only in the terminator */
};
#if !defined(_WIN64)
static_assert(sizeof(ConversionRow) == 12, "three 32-bit fields");
#endif

/* Handler kinds that read an attribute. */
int CardinalField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t extra);
int Cardinal64Field(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t extra);
int DeltaTimeField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t extra);
int PositiveIntegerField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t extra);
int PriorityField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t extra);
int JobIdField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t extra);
int JobStatusField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t extra);
int PrinterStatusField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t extra);
int TimeField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t extra);
int IdentifierTextField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t extra);
int SimpleNameTextField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t extra);
int DescriptorTextField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t extra);
int DistinguishedNameField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t extra);
int DocumentField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t extra);
int PrinterPathField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t extra);

/* Handler kinds that read no attribute. NullField writes a null pointer,
 * ZeroField a 32-bit 0: the same 4 bytes on Windows 95, two sizes in the
 * x86-64 build. */
int NullField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t extra);
int ZeroField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t extra);
int ConstantField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t extra);
int ServerPathField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t extra);
int HandlePrinterNameField(PrinterHandle *handle, BufferCursor *cursor, uint32_t type, uint32_t extra);

/* The tables, each ended by a row of zeros. */
extern const ConversionRow kJobInfo1Table[];
extern const ConversionRow kJobInfo2Table[];
extern const ConversionRow kPrinterInfo1Table[];
extern const ConversionRow kPrinterInfo2Table[];
extern const ConversionRow kPrinterInfo5Table[];

/* The printer tables by level 0 to 5; null for levels 0, 3 and 4. */
constexpr DWORD kPrinterLevels = 6;
extern const ConversionRow *const kPrinterTables[kPrinterLevels];

/* The job tables by level 0 to 2; null for level 0. */
constexpr DWORD kJobLevels = 3;
extern const ConversionRow *const kJobTables[kJobLevels];

/* Converts the result object that handle->queryRequest delivered last into
 * one record at the cursor. */
void ConvertObject(PrinterHandle *handle, BufferCursor *cursor, const ConversionRow *table);

/* The text of an identifier: the library's own string with that id, else
 * the number in decimal. text holds kIdentifierTextSize bytes. */
constexpr size_t kIdentifierTextSize = 100;
void IdentifierText(int32_t number, char *text);

#endif
