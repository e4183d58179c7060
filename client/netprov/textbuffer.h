/*
 * TextBuffer: the growable, zero-terminated byte string of the network
 * provider. It grows in steps of 128 bytes and understands double-byte
 * characters of the system's code page where it scans text.
 *
 * Out of memory is reported by std::bad_alloc; every export of the library
 * catches it and answers WN_OUT_OF_MEMORY.
 */
#ifndef QVNETPROV_TEXTBUFFER_H
#define QVNETPROV_TEXTBUFFER_H

#include <stddef.h>
#include <stdint.h>

class TextBuffer {
public:
    static const uint32_t kStep = 128; // capacity grows in these steps

    TextBuffer(); // capacity 128, empty
    ~TextBuffer();
    TextBuffer(const TextBuffer &) = delete;
    TextBuffer &operator=(const TextBuffer &) = delete;

    // Replaces the content; a null text empties the buffer.
    void assign(const char *text);
    // Adds text behind the content; a null text adds nothing.
    void append(const char *text);
    // Builds the content from a pattern that knows only "%s" (the next text)
    // and "%%" (one '%'); any other '%' is copied as it is. Missing or null
    // texts insert nothing. The texts must not point into this buffer.
    template<typename... Texts> void format(const char *pattern, Texts... texts)
    {
        const char *list[] = {static_cast<const char *>(texts)..., nullptr};
        formatList(pattern, list, sizeof...(texts));
    }
    // Makes room for n bytes (terminator included), keeping the content.
    void reserve(uint32_t n);
    // Ends the text at position; a negative position stands for the length
    // of the zero-terminated text now in the buffer (after a foreign writer
    // such as LoadString filled it). Limited to capacity - 1.
    void truncate(int32_t position);

    const char *c_str() const { return m_data; }
    char *data() { return m_data; }
    uint32_t length() const { return m_length; }
    uint32_t capacity() const { return m_capacity; }

private:
    void formatList(const char *pattern, const char *const *texts, size_t count);
    // The assign rule: a length that does not fit below the capacity gets
    // the smallest multiple of 128 above it, the old content dropped.
    void growDropping(uint32_t length);
    void growKeeping(uint32_t length);

    char *m_data;
    uint32_t m_capacity;
    uint32_t m_length;
};

// The character after the one at p, taking a lead byte and its trail byte as
// one character. A lead byte right before the terminator counts alone.
const char *NextCharacter(const char *p);

// The first c in text that is a character of its own (never the trail byte
// of a double-byte character), or null.
const char *FindCharacter(const char *text, char c);

#endif
