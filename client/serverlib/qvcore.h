/*
 * qvcore: name service, object identifiers, string-table lists, usage
 * messages, locale and event ports. Only the calls the client uses are
 * declared here, with the argument lists it passes.
 */
#ifndef QVCORE_H
#define QVCORE_H

#include <stddef.h>
#include "qvtypes.h"

/* Domain kinds: the first argument of NS_SetDomain and NS_ListDomainBegin. */
enum {
    NS_KIND_NIS = 0,    /* written "NIS:" before a domain name */
    NS_KIND_DCE = 1,    /* written "DCE:" */
    NS_KIND_DEFAULT = 2 /* no prefix */
};

/* Object classes of NS_GetObject. */
enum { NS_CLASS_PRINTER = 0, NS_CLASS_SERVER = 3 };

/* Status of NS_ListDomainNext and NS_ListNext at the end of a list. */
#define NS_STATUS_NO_MORE 12

/* The domain kinds the name service supports; owned by qvcore, never freed. */
typedef struct NsSupportedEnv {
    int32_t count;
    int32_t *kinds;
} NsSupportedEnv;

/* An object of the name service. Callers read only the object's name (byte 8)
 * and the name of the server that holds it (byte 16). */
typedef struct NsObject {
    uint32_t reserved0;
    uint32_t objectClass;
    char *name;
    uint32_t reserved12;
    char *serverName;
} NsObject;

#if defined(__cplusplus) && !defined(_WIN64)
/* The 32-bit layout callers read by address; the x86-64 test build keeps the
 * field order with pointer-sized texts. */
static_assert(offsetof(NsObject, name) == 8, "object name at byte 8");
static_assert(offsetof(NsObject, serverName) == 16, "server name at byte 16");
#endif

/* The seven parts of a locale, passed in order and unread to CC_AVCreateLocale. */
typedef struct QvLocaleRecord {
    uint32_t part[7];
} QvLocaleRecord;

QV_EXTERN_C QvStatus QVAPI NS_Init(int32_t flags, int32_t timeoutSeconds); /* (0, 10) */
QV_EXTERN_C QvStatus QVAPI NS_Term(void);
QV_EXTERN_C NsSupportedEnv *QVAPI NS_ListSupportedEnv(void);
QV_EXTERN_C QvStatus QVAPI NS_CreateDomainHandle(QvHandle *handle);
QV_EXTERN_C QvStatus QVAPI NS_SetDomain(int32_t kind, const char *domain, QvHandle handle);
QV_EXTERN_C QvStatus QVAPI NS_GetObject(int32_t objectClass, const char *name, QvHandle handle,
                                        NsObject **object);
QV_EXTERN_C QvStatus QVAPI NS_ListDomainBegin(int32_t kind, QvList *list);
QV_EXTERN_C QvStatus QVAPI NS_ListDomainNext(QvList list, char **domain);
QV_EXTERN_C QvStatus QVAPI NS_ListDomainEnd(QvList list);
QV_EXTERN_C QvStatus QVAPI NS_ListObjectBegin(int32_t objectClass, QvHandle handle, QvList *list);
QV_EXTERN_C QvStatus QVAPI NS_ListNext(QvList list, NsObject **object);
QV_EXTERN_C QvStatus QVAPI NS_ListEnd(QvList list);
QV_EXTERN_C QvStatus QVAPI NS_FreeDomainHandle(QvHandle handle);
QV_EXTERN_C QvStatus QVAPI NS_FreeObject(NsObject *object);
QV_EXTERN_C QvStatus QVAPI NS_FreeString(char *text);
QV_EXTERN_C QvStatus QVAPI NS_LocatePGR(char **hostName); /* the name is not freed */

QV_EXTERN_C QvList QVAPI STF_CreateList(int32_t flags); /* (0); 0 on failure */
QV_EXTERN_C QvStatus QVAPI STF_DeleteList(QvList list);

QV_EXTERN_C QvStatus QVAPI OID_Init(QvList list, const char *databasePath, int32_t flags);
QV_EXTERN_C QvStatus QVAPI OID_Term(void);

QV_EXTERN_C QvStatus QVAPI MSG_UsageBegin(const char *component); /* ("PP") */
QV_EXTERN_C QvStatus QVAPI MSG_UsageEnd(void);

QV_EXTERN_C QvStatus QVAPI I18N_GetDPALocaleFromLCID(QvContext context, uint32_t lcid,
                                                     QvLocaleRecord *locale);
QV_EXTERN_C QvStatus QVAPI EVT_GetRegisteredPort(int32_t *port);

#endif
