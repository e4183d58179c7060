/*
 * qvdpa: document-printing requests and documents. Only the calls the client
 * uses are declared here, with the argument lists it passes.
 *
 * A request is a nonzero 32-bit word. Its attribute context, the first
 * argument of every CC_AV call for its values, is the request word itself.
 */
#ifndef QVDPA_H
#define QVDPA_H

#include "qvtypes.h"

/* Request types of DPAOpenRequest. */
enum {
    DPA_REQUEST_CANCEL = 0,      /* cancel a job */
    DPA_REQUEST_READ_OBJECT = 7, /* read the attributes of one object */
    DPA_REQUEST_NAME = 8,        /* names a job or one of its documents */
    DPA_REQUEST_PAUSE = 9,
    DPA_REQUEST_LIST = 10,  /* list the objects that match */
    DPA_REQUEST_PRINT = 11, /* submit a job */
    DPA_REQUEST_RESUME = 14
};

/* Second argument of DPAOpenDocument and fourth of DPASetAttributeType. */
#define DPA_DOCUMENT_DEFAULT 3
#define DPA_VALUE_TEXT       3

/* Statuses the client gives meaning to. Every other nonzero value is a failure. */
#define QV_STATUS_OK               0
#define QV_STATUS_NO_VALUE_LEFT    2    /* CC_GetValueIncr */
#define QV_STATUS_NO_MORE_OBJECTS  7    /* CC_GetObjectInstance */
#define QV_STATUS_BAD_ARGUMENT     (-1) /* null pointer, bad number */
#define QV_STATUS_NO_MEMORY        (-2)
#define QV_STATUS_WRONG_STATE      (-3) /* the request cannot do that now */
#define QV_STATUS_BAD_HANDLE       (-4) /* unknown, closed or foreign word */
#define QV_STATUS_ATTRIBUTE_ABSENT (-5) /* CC_FindAttributeType */
#define QV_STATUS_WRONG_SYNTAX     (-6) /* a value of another kind */
#define QV_STATUS_UNKNOWN_SERVER   (-27)
#define QV_STATUS_UNKNOWN_PRINTER  (-28)
#define QV_STATUS_UNKNOWN_DOMAIN   (-29)
#define QV_STATUS_UNKNOWN_JOB      (-30)
#define QV_STATUS_DOCUMENT_REFUSED (-80)  /* first push of a document */
#define QV_STATUS_ALREADY_IN_STATE (-83)  /* job control: nothing to change */
#define QV_STATUS_DIRECTORY_EXISTS (-899) /* API__DocumentExists */
#define QV_STATUS_NO_DIRECTORY     (-900) /* API__DocumentExists */

/* Opens a request of the given type into *request (flags 0). */
QV_EXTERN_C QvStatus QVAPI DPAOpenRequest(QvRequest *request, int32_t type, int32_t flags);
/* Closes *request with every value, filter and result it holds; sets *request to 0. */
QV_EXTERN_C QvStatus QVAPI DPACloseRequest(QvRequest *request);
/* Sets an attribute by name; the value text is copied (valueSyntax 3, flags 0). */
QV_EXTERN_C QvStatus QVAPI DPASetAttributeType(QvRequest request, const char *attributeName,
                                               const char *valueText, int32_t valueSyntax, int32_t flags);
/* Opens the next document of a submitted print request (kind 3) and selects it. */
QV_EXTERN_C QvStatus QVAPI DPAOpenDocument(QvRequest printRequest, int32_t documentKind);

/* Sends the request to its server; results stay in the request. */
QV_EXTERN_C QvStatus QVAPI CC_SubmitRequest(QvRequest request);
/* Selects document number (1-based) of a submitted print request: >= 0 on success. */
QV_EXTERN_C QvStatus QVAPI CC_FindDocument(QvRequest printRequest, int32_t documentNumber);
/* Appends length bytes to the selected document; last = 1 ends its data.
 * data may be null when length is 0. */
QV_EXTERN_C QvStatus QVAPI CC_PushDocument(QvRequest printRequest, const void *data, uint32_t length,
                                           int32_t last);

/* -899 (QV_STATUS_DIRECTORY_EXISTS) when the object-identifier database
 * directory exists (flags 0). */
QV_EXTERN_C QvStatus QVAPI API__DocumentExists(const char *directory, int32_t flags);

#endif
