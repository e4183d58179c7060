/*
 * qvattr: attribute values, the attributes and object instance of a request,
 * filters, and the reading of a request's results. Only the calls the client
 * uses are declared here, with the argument lists it passes.
 *
 * Every CC_AV call takes the attribute context first: the request word that
 * the value lives in (see qvdpa.h). A value is a nonzero 32-bit word, created
 * into an out word and deleted with CC_AVDel unless it was handed to a request
 * (CC_SetAttributeType, CC_AppendValue, CC_SetObjectInstance, CC_SetFilterItem).
 * Creating a value from other values copies them; the caller still deletes
 * its own.
 *
 * Heap outputs of the getters (texts, lengths, arrays) come from the C
 * run-time's malloc: they may be released with CC_AVFree or with free.
 */
#ifndef QVATTR_H
#define QVATTR_H

#include "qvtypes.h"

/* Value syntaxes, as CC_AVType reports them and as the syntax number that
 * CC_SetAttributeType takes when it opens an empty attribute. */
enum {
    QV_SYNTAX_SIMPLE_NAME = 1,
    QV_SYNTAX_TEXT = 2,
    QV_SYNTAX_BOOLEAN = 3,
    QV_SYNTAX_CARDINAL = 4,
    QV_SYNTAX_DELTA_TIME = 5,
    QV_SYNTAX_LOCALE = 6,
    QV_SYNTAX_JOB_IDENTIFIER = 7,
    QV_SYNTAX_EVENT_PROFILE = 8,
    QV_SYNTAX_DOCUMENT_ID = 9,
    QV_SYNTAX_IDENTIFIER = 10,
    QV_SYNTAX_NAME_OR_OID = 11,
    QV_SYNTAX_DIST_NAME = 12,
    QV_SYNTAX_DELIVERY_ADDRESS = 13,
    QV_SYNTAX_OBJ_IDENTIFICATION = 14,
    QV_SYNTAX_DESCRIPTOR = 15,
    QV_SYNTAX_PRIORITY = 16,
    QV_SYNTAX_POSITIVE_INTEGER = 17,
    QV_SYNTAX_CARDINAL64 = 18,
    QV_SYNTAX_GENERALIZED_TIME = 19,
    QV_SYNTAX_DRIVER_INFO = 20,
    QV_SYNTAX_OBJECT_INSTANCE = 21
};

/* Attribute groups: 0 the request's own attributes, 2 the attributes of the
 * result object that CC_GetObjectInstance delivered last. */
#define QV_GROUP_REQUEST 0
#define QV_GROUP_RESULT  2

/* Third argument of CC_SetFilterItem. */
#define QV_FILTER_EQUALS 2

/* ---- Creating values ------------------------------------------------------ */

QV_EXTERN_C QvStatus QVAPI CC_AVCreateSimpleName(QvContext context, QvValue *value, int32_t code,
                                                 const char *text, int32_t length);
QV_EXTERN_C QvStatus QVAPI CC_AVCreateText(QvContext context, QvValue *value, int32_t code, const char *text,
                                           int32_t flags);
QV_EXTERN_C QvStatus QVAPI CC_AVCreateIdentifier(QvContext context, QvValue *value, int32_t number);
QV_EXTERN_C QvStatus QVAPI CC_AVCreateNameOrOID(QvContext context, QvValue *value, QvValue identifierOrName);
/* Either part may be 0: CC_AVCreateDistNameString(context, &v, 0, 0) names the caller. */
QV_EXTERN_C QvStatus QVAPI CC_AVCreateDistNameString(QvContext context, QvValue *value, QvValue textPart,
                                                     QvValue namePart);
QV_EXTERN_C QvStatus QVAPI CC_AVCreateBoolean(QvContext context, QvValue *value, int32_t flag);
QV_EXTERN_C QvStatus QVAPI CC_AVCreateCardinal(QvContext context, QvValue *value, uint32_t number);
QV_EXTERN_C QvStatus QVAPI CC_AVCreateDeltaTime(QvContext context, QvValue *value, int32_t seconds);
/* The seven parts of the locale record of I18N_GetDPALocaleFromLCID, in order. */
QV_EXTERN_C QvStatus QVAPI CC_AVCreateLocale(QvContext context, QvValue *value, uint32_t part1,
                                             uint32_t part2, uint32_t part3, uint32_t part4, uint32_t part5,
                                             uint32_t part6, uint32_t part7);
QV_EXTERN_C QvStatus QVAPI CC_AVCreateJobIdentifier(QvContext context, QvValue *value,
                                                    const char *jobIdentifier);
QV_EXTERN_C QvStatus QVAPI CC_AVCreateDocumentId(QvContext context, QvValue *value, const char *jobIdentifier,
                                                 const int32_t *documentNumber);
/* From a job identifier, document id or simple-name value. */
QV_EXTERN_C QvStatus QVAPI CC_AVCreateObjIdentification(QvContext context, QvValue *value,
                                                        QvValue jobOrDocumentId);
/* type: the address kind (0 event port, 1 or 2 mail); code: 5 or 1. */
QV_EXTERN_C QvStatus QVAPI CC_AVCreateDeliveryAddress(QvContext context, QvValue *value, int32_t type,
                                                      int32_t code, const char *address);
/* events: null-terminated array of pointers to event identifiers; method:
 * address of the delivery-method identifier (3001, 3002, 3003); locale may be 0. */
QV_EXTERN_C QvStatus QVAPI CC_AVCreateEventHandlingProfile(QvContext context, QvValue *value,
                                                           int32_t **events, const int32_t *method,
                                                           int32_t flags, QvValue deliveryAddress,
                                                           QvValue locale);
/* A new value equal to source. */
QV_EXTERN_C QvStatus QVAPI CC_AVCopy(QvContext context, QvValue *copy, QvValue source);
QV_EXTERN_C QvStatus QVAPI CC_AVDel(QvContext context, QvValue value);
/* Releases a heap output of a getter (null is accepted). */
QV_EXTERN_C QvStatus QVAPI CC_AVFree(QvContext context, void *memory);
/* The value's syntax (QV_SYNTAX_...), or a negative status. */
QV_EXTERN_C int32_t QVAPI CC_AVType(QvContext context, QvValue value);

/* ---- Reading values ------------------------------------------------------- */

QV_EXTERN_C QvStatus QVAPI CC_AVGetCardinal(QvContext context, QvValue value, uint32_t *number);
QV_EXTERN_C QvStatus QVAPI CC_AVGetCardinal64(QvContext context, QvValue value, uint32_t *high,
                                              uint32_t *low);
QV_EXTERN_C QvStatus QVAPI CC_AVGetDeltaTime(QvContext context, QvValue value, int32_t *seconds);
QV_EXTERN_C QvStatus QVAPI CC_AVGetPositiveInteger(QvContext context, QvValue value, uint32_t *number);
/* The priority in the low 16 bits. */
QV_EXTERN_C QvStatus QVAPI CC_AVGetPriority(QvContext context, QvValue value, int32_t *priority);
QV_EXTERN_C QvStatus QVAPI CC_AVGetIdentifier(QvContext context, QvValue value, int32_t *number);
QV_EXTERN_C QvStatus QVAPI CC_AVGetBoolean(QvContext context, QvValue value, int32_t *flag);
/* From a job identifier, or an identification or document id that holds one:
 * a heap text. */
QV_EXTERN_C QvStatus QVAPI CC_AVGetJobIdentifier(QvContext context, QvValue value, char **text);
/* From an object instance (or an identification): a new identification value. */
QV_EXTERN_C QvStatus QVAPI CC_AVGetObjIdentification(QvContext context, QvValue instance,
                                                     QvValue *identification);
QV_EXTERN_C QvStatus QVAPI CC_AVGetGeneralizedTime(QvContext context, QvValue value, uint16_t *day,
                                                   uint16_t *month, uint16_t *year, uint16_t *hour,
                                                   uint16_t *minute, uint16_t *second);
/* kind: the code byte; text: heap text; length: heap word holding the
 * text's length (either out pointer may be null). */
QV_EXTERN_C QvStatus QVAPI CC_AVGetSimpleName(QvContext context, QvValue value, uint8_t *kind, char **text,
                                              uint32_t **length);
/* text and other: heap texts (the descriptor's text and its second part). */
QV_EXTERN_C QvStatus QVAPI CC_AVGetDescriptor(QvContext context, QvValue value, int32_t *kind, char **text,
                                              char **other);
/* code: the text's code; text: heap text; other: always set to null. */
QV_EXTERN_C QvStatus QVAPI CC_AVGetText(QvContext context, QvValue value, int32_t *code, char **text,
                                        char **other);
/* Two new values, either 0 when that part is absent. */
QV_EXTERN_C QvStatus QVAPI CC_AVGetDistNameString(QvContext context, QvValue value, QvValue *textPart,
                                                  QvValue *namePart);
/* A new value: an identifier (CC_AVType 10) or a simple name. */
QV_EXTERN_C QvStatus QVAPI CC_AVGetNameOrOID(QvContext context, QvValue value, QvValue *name);
/* Unpacks a driver description into new values (each 0 when absent):
 * version, name (simple name), platform identifier, driver path, data file,
 * configuration file, help file (texts), dependent files (heap array of text
 * values ended by 0, or null), monitor name, default data type (texts), and
 * the description's environment name (text), which the client may ignore
 * but must delete. */
QV_EXTERN_C QvStatus QVAPI CC_AVGetDriverInfo(QvContext context, QvValue value, int32_t *version,
                                              QvValue *name, int32_t *platform, QvValue *driverPath,
                                              QvValue *dataFile, QvValue *configFile, QvValue *helpFile,
                                              QvValue **dependentFiles, QvValue *monitorName,
                                              QvValue *defaultDataType, QvValue *environment);

/* ---- Building requests ---------------------------------------------------- */

/* Hands value to the request as attribute type in group. With value 0 and
 * syntax pointing to a syntax number, opens an empty attribute that
 * CC_AppendValue fills. */
QV_EXTERN_C QvStatus QVAPI CC_SetAttributeType(QvRequest request, int32_t group, int32_t type, QvValue value,
                                               const int32_t *syntax);
/* Hands value to the attribute set last. */
QV_EXTERN_C QvStatus QVAPI CC_AppendValue(QvRequest request, QvValue value);
/* Names the target object; takes both values, either may be 0. */
QV_EXTERN_C QvStatus QVAPI CC_SetObjectInstance(QvRequest request, QvValue name, QvValue identification);
/* Opens the request's filter (kind 0, flags 0). */
QV_EXTERN_C QvStatus QVAPI CC_OpenFilter(QvRequest request, int32_t kind, int32_t flags, QvFilter *filter);
/* Adds "attribute type compares (2) to value" to the filter; takes value. */
QV_EXTERN_C QvStatus QVAPI CC_SetFilterItem(QvRequest request, QvFilter filter, int32_t match, int32_t type,
                                            QvValue value);

/* ---- Reading results ------------------------------------------------------ */

/* Delivers the next result object as a new instance value (instance may be
 * null). 7 when none is left; the call after that starts again at the first. */
QV_EXTERN_C QvStatus QVAPI CC_GetObjectInstance(QvRequest request, int32_t flags, QvValue *instance);
/* Finds attribute type in group (0 the request's, 2 the current result
 * object's) for CC_GetValueIncr; -5 when absent. */
QV_EXTERN_C QvStatus QVAPI CC_FindAttributeType(QvRequest request, int32_t group, int32_t flags,
                                                int32_t type);
/* The found attribute's next value as a new value (0 for an attribute without
 * a value); 2 when no value is left. */
QV_EXTERN_C QvStatus QVAPI CC_GetValueIncr(QvRequest request, int32_t group, QvValue *value);

#endif
