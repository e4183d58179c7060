/*
 * TextBuffer and the double-byte-aware scanning helpers.
 */
#include "textbuffer.h"

#include <windows.h>

#include <new>
#include <string.h>

namespace {

// Lengths are 32-bit; a sum that overflows cannot be held and counts as
// exhausted memory.
uint32_t CheckedSum(uint32_t a, uint32_t b)
{
    if (a > UINT32_MAX - b)
        throw std::bad_alloc();
    return a + b;
}

uint32_t TextLength(const char *text)
{
    if (text == nullptr)
        return 0;
    size_t n = strlen(text);
    if (n >= UINT32_MAX)
        throw std::bad_alloc();
    return static_cast<uint32_t>(n);
}

// Smallest multiple of the step that is greater than length.
uint32_t CapacityAbove(uint32_t length)
{
    uint32_t steps = length / TextBuffer::kStep + 1;
    if (steps > UINT32_MAX / TextBuffer::kStep)
        throw std::bad_alloc();
    return steps * TextBuffer::kStep;
}

bool IsLeadByte(char c)
{
    return IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE;
}

} // namespace

const char *NextCharacter(const char *p)
{
    if (IsLeadByte(p[0]) && p[1] != '\0')
        return p + 2;
    return p + 1;
}

const char *FindCharacter(const char *text, char c)
{
    if (text == nullptr)
        return nullptr;
    for (const char *p = text; *p != '\0'; p = NextCharacter(p)) {
        if (*p == c)
            return p;
    }
    return nullptr;
}

TextBuffer::TextBuffer() : m_data(new char[kStep]), m_capacity(kStep), m_length(0)
{
    m_data[0] = '\0';
}

TextBuffer::~TextBuffer()
{
    delete[] m_data;
}

void TextBuffer::growDropping(uint32_t length)
{
    if (length < m_capacity)
        return;
    uint32_t capacity = CapacityAbove(length);
    char *fresh = new char[capacity];
    delete[] m_data;
    m_data = fresh;
    m_capacity = capacity;
    m_length = 0;
    m_data[0] = '\0';
}

void TextBuffer::growKeeping(uint32_t length)
{
    if (length < m_capacity)
        return;
    reserve(CapacityAbove(length));
}

void TextBuffer::assign(const char *text)
{
    uint32_t length = TextLength(text);
    growDropping(length);
    if (length > 0)
        memcpy(m_data, text, length);
    m_data[length] = '\0';
    m_length = length;
}

void TextBuffer::append(const char *text)
{
    uint32_t added = TextLength(text);
    uint32_t length = CheckedSum(m_length, added);
    growKeeping(length);
    if (added > 0)
        memcpy(m_data + m_length, text, added);
    m_data[length] = '\0';
    m_length = length;
}

void TextBuffer::reserve(uint32_t n)
{
    if (n <= m_capacity)
        return;
    uint32_t capacity = n % kStep == 0 ? n : CheckedSum(n - n % kStep, kStep);
    char *fresh = new char[capacity];
    memcpy(fresh, m_data, m_length + 1);
    delete[] m_data;
    m_data = fresh;
    m_capacity = capacity;
}

void TextBuffer::truncate(int32_t position)
{
    uint32_t at;
    if (position < 0)
        at = static_cast<uint32_t>(strnlen(m_data, m_capacity));
    else
        at = static_cast<uint32_t>(position);
    if (at > m_capacity - 1)
        at = m_capacity - 1;
    m_data[at] = '\0';
    m_length = at;
}

void TextBuffer::formatList(const char *pattern, const char *const *texts, size_t count)
{
    if (pattern == nullptr) {
        assign(nullptr);
        return;
    }
    // First pass: the exact length of the result. Double-byte characters
    // are stepped over as units so that a trail byte is never taken for '%'.
    uint32_t length = 0;
    size_t next = 0;
    for (const char *p = pattern; *p != '\0';) {
        if (p[0] == '%' && p[1] == 's') {
            const char *text = next < count ? texts[next] : nullptr;
            ++next;
            length = CheckedSum(length, TextLength(text));
            p += 2;
        } else if (p[0] == '%' && p[1] == '%') {
            length = CheckedSum(length, 1);
            p += 2;
        } else {
            const char *q = NextCharacter(p);
            length = CheckedSum(length, static_cast<uint32_t>(q - p));
            p = q;
        }
    }
    growDropping(length);

    // Second pass: the copy, walking the pattern the same way.
    char *out = m_data;
    next = 0;
    for (const char *p = pattern; *p != '\0';) {
        if (p[0] == '%' && p[1] == 's') {
            const char *text = next < count ? texts[next] : nullptr;
            ++next;
            uint32_t n = TextLength(text);
            if (n > 0)
                memcpy(out, text, n);
            out += n;
            p += 2;
        } else if (p[0] == '%' && p[1] == '%') {
            *out++ = '%';
            p += 2;
        } else {
            const char *q = NextCharacter(p);
            while (p < q)
                *out++ = *p++;
        }
    }
    *out = '\0';
    m_length = length;
}
