/*
 * qvprov: the job and document records. The PrintAssistant plug-in reads
 * them by address, so each is a fixed sequence of 32-bit words.
 */
#ifndef QVPROV_JOB_RECORD_H
#define QVPROV_JOB_RECORD_H

#include "provider.h"

#include <stddef.h>

/* Sixteen words, followed in the same block by the printer, server and domain texts. */
struct JobRecord {
    JobRecord *next; /* next job in SharedJobList */
    int32_t domainKind;
    char *domain;
    char *server;
    char *printer;
    uint32_t reserved;      /* always 0 */
    QvRequest jobRequest;   /* type-8 request naming the job */
    QvRequest printRequest; /* type-11 request: attributes and all documents' data */
    QvRequest paRequest;    /* type-7 request of a plug-in job */
    int32_t usePA;
    uint32_t paContext;  /* the plug-in's word; 0: not a plug-in job */
    char *jobIdentifier; /* from the client library, released with free */
    int32_t jobNumber;
    char *address;
    int32_t documentCount;
    DocumentRecord *documents; /* newest first */
};
#if !defined(_WIN64)
static_assert(sizeof(JobRecord) == 16 * 4, "sixteen 32-bit words");
static_assert(offsetof(JobRecord, paContext) == 10 * 4, "paContext is word 11");
static_assert(offsetof(JobRecord, documents) == 15 * 4, "documents is word 16");
#endif

struct DocumentRecord {
    DocumentRecord *next;      /* next (older) document of the job */
    QvRequest documentRequest; /* type-8 request naming the document */
    void *extra;               /* released with the record */
    int32_t documentNumber;    /* 1-based */
    int32_t pageCount;
    uint32_t byteCount;
    char *documentName;
    int32_t dataOpen; /* 1 while the data is open in the print request */
};
#if !defined(_WIN64)
static_assert(sizeof(DocumentRecord) == 8 * 4, "eight 32-bit words");
static_assert(offsetof(DocumentRecord, dataOpen) == 7 * 4, "dataOpen is word 8");
#endif

#endif
