// qvprov: the process-wide variables and the text copy shared by every area.
#include "provider.h"

#include <stdlib.h>
#include <string.h>

ProviderState g_provider = {};

char *CopyText(const char *text)
{
    if (!text)
        return nullptr;
    const size_t size = strlen(text) + 1;
    char *copy = static_cast<char *>(malloc(size));
    if (copy)
        memcpy(copy, text, size);
    return copy;
}
