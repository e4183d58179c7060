/*
 * Common types of the Quorvane client libraries (qvcore, qvdpa, qvattr).
 *
 * Every call returns a signed 32-bit status, 0 for success. Handles, lists,
 * requests, attribute contexts and attribute values are nonzero 32-bit words;
 * callers keep 0 for "none".
 */
#ifndef QVTYPES_H
#define QVTYPES_H

#include <stdint.h>

#ifdef __cplusplus
#define QV_EXTERN_C extern "C"
#else
#define QV_EXTERN_C
#endif

/* The closed libraries use the C calling convention and export plain names. */
#define QVAPI __cdecl

typedef int32_t QvStatus;
typedef uint32_t QvHandle;  /* name-service domain handle */
typedef uint32_t QvList;    /* name-service or string-table list */
typedef uint32_t QvRequest; /* document-printing request */
typedef uint32_t QvContext; /* attribute context of a request */
typedef uint32_t QvValue;   /* attribute value living in a context */
typedef uint32_t QvFilter;  /* filter of a list request */

#endif
