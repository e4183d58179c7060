/*
 * The domain kinds the browser shows, and the lazy start of the name
 * service that decides which of them are left.
 */
#ifndef QVNETPROV_DOMAINKINDS_H
#define QVNETPROV_DOMAINKINDS_H

#include <stdint.h>

// One browsable domain kind.
struct DomainKindEntry {
    const char *prefix; // written before a domain name of this kind
    int32_t kind;       // the name service's domain kind
    uint32_t label;     // string resource id of the kind's display label
};

enum { kMaxDomainKinds = 2 };

// Entries in order; index 0 is the default entry, which a name without a
// known prefix belongs to. Rows that the name service does not support are
// removed by the first successful start, for the life of the process.
struct DomainKindTable {
    DomainKindEntry entries[kMaxDomainKinds];
    int32_t count;
};

// Read only once EnsureNameService has succeeded; it no longer changes then.
extern DomainKindTable g_domainKinds;

// Starts the name service and trims the table the first time it succeeds;
// later calls succeed at once. A failed start is tried again in full at the
// next call. Safe when called from several threads at once: one start runs,
// the others wait for it and see its result.
bool EnsureNameService();

// The table index whose non-empty prefix opens text (first match in table
// order, byte for byte, case-sensitive), with *domain set to the text behind
// the prefix; index 0 and the whole text when none matches.
int32_t MatchKindPrefix(const char *text, const char **domain);

#endif
