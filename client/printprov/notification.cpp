// qvprov: the notification profile of a job (attribute 123 of its print
// request): the job events the user wants to hear about, delivered to an
// event port on this machine and by mail, as the printer's key asks.
#include "attributes.h"
#include "qvattr.h"
#include "qvcore.h"

#include <winsock.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <new>
#include <string>
#include <vector>

namespace {

const QvStatus kStatusRegistry = -998; // registry, host-name and event-port trouble
const QvStatus kStatusNoMemory = -2;

const char kProfileKey[] = "DefaultEventProfile";
const char kEventsSupportedKey[] = "Software\\Tamsell\\Quorvane\\CurrentVersion\\EventsSupported\\";
const DWORD kMethodPort = 1;
const DWORD kMethodMail = 2;
const int32_t kGroupJobText = 1;
const int32_t kAttrNotificationProfile = 123;
const int32_t kSyntaxEventProfile = 8;
const int32_t kDeliveryPort = 3003;
const int32_t kDeliveryMail[] = {3001, 3002}; // by mail address kind 1 and 2
const int32_t kAddressTypePort = 0;
const int32_t kAddressCodePort = 5;
const int32_t kAddressCodeMail = 1;
const DWORD kFamilyNameChars = 260;
const int kHostNameBytes = 1024;

bool ReadDword(HKEY key, const char *name, DWORD *value)
{
    DWORD type = 0, size = sizeof *value;
    return RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(value), &size)
        == ERROR_SUCCESS
        && type == REG_DWORD && size == sizeof *value;
}

// The "Methods" of the family's subkey; false when it has none.
bool FamilyMethods(HKEY profiles, const char *family, DWORD *methods)
{
    RegKey key;
    return RegOpenKeyExA(profiles, family, 0, KEY_READ, key.out()) == ERROR_SUCCESS
        && ReadDword(key.get(), "Methods", methods);
}

// The event identifier the machine registered for a family; false when none.
bool FamilyEvent(const char *family, DWORD *shoid)
{
    std::string path = std::string(kEventsSupportedKey) + family;
    RegKey key;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.out()) == ERROR_SUCCESS
        && ReadDword(key.get(), "SHOID", shoid);
}

// One list of event identifiers and the null-terminated array of pointers to
// them that the client library takes; it never holds more than its capacity.
struct EventList {
    std::vector<int32_t> events;
    std::vector<int32_t *> pointers;
    size_t capacity = 0;

    bool add(int32_t event)
    {
        if (events.size() >= capacity)
            return false;
        events.push_back(event);
        return true;
    }
    // Both arrays at their full size, before any value is made: nothing
    // allocates once the profiles are being built.
    void reserve()
    {
        events.reserve(capacity);
        pointers.reserve(capacity + 1);
    }
    int32_t **terminated()
    {
        pointers.clear();
        for (int32_t &event : events)
            pointers.push_back(&event);
        pointers.push_back(nullptr);
        return pointers.data();
    }
};

// Walks the families under DefaultEventProfile: visit(name) for each, until
// the enumeration ends. kStatusRegistry on an enumeration error.
template<typename Visit> QvStatus ForEachFamily(HKEY profiles, Visit visit)
{
    char name[kFamilyNameChars];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        LONG rc = RegEnumKeyExA(profiles, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS)
            return 0;
        if (rc != ERROR_SUCCESS)
            return kStatusRegistry;
        QvStatus status = visit(name);
        if (status != 0)
            return status;
    }
}

// "host:port" of the event port on this machine, or empty when the machine
// has no host name (the port profile is then left out). WinSock is started
// for the look-up, since the spooler's process need not have started it.
QvStatus EventPortAddress(char (&address)[64])
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0)
        return 0;
    QvStatus status = 0;
    char host[kHostNameBytes];
    if (g_eventProfileHooks.hostName(host, sizeof host) == 0) {
        const hostent *entry = gethostbyname(host);
        int32_t port = 0;
        if (!entry || !entry->h_addr_list || !entry->h_addr_list[0] || EVT_GetRegisteredPort(&port) != 0) {
            status = kStatusRegistry;
        } else {
            in_addr first;
            memcpy(&first, entry->h_addr_list[0], sizeof first);
            snprintf(address, sizeof address, "%s:%d", inet_ntoa(first), int(port & 0xFFFF));
        }
    }
    WSACleanup();
    return status;
}

// The mail address and its kind (1 or 2) from the printer's key; false when
// either is missing, the kind is another number, or the address is empty.
bool MailSettings(HKEY printerKey, std::string *address, DWORD *type)
{
    DWORD size = 0;
    if (RegQueryValueExA(printerKey, "MailAddress", nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS
        || size == 0)
        return false;
    std::vector<char> text(size + 1, '\0');
    if (RegQueryValueExA(printerKey, "MailAddress", nullptr, nullptr, reinterpret_cast<BYTE *>(text.data()),
                         &size)
        != ERROR_SUCCESS)
        return false;
    if (!ReadDword(printerKey, "MailType", type) || (*type != 1 && *type != 2) || text[0] == '\0')
        return false;
    *address = text.data();
    return true;
}

// One profile: a delivery address, a copy of the locale (when there is one)
// and the events, appended to the attribute opened last.
QvStatus AppendProfile(QvRequest request, EventList &events, const int32_t *method, int32_t addressType,
                       int32_t addressCode, const char *address, QvValue locale)
{
    QvValue delivery = 0, localeCopy = 0, profile = 0;
    QvStatus status = CC_AVCreateDeliveryAddress(request, &delivery, addressType, addressCode, address);
    if (status == 0 && locale)
        status = CC_AVCopy(request, &localeCopy, locale);
    if (status == 0)
        status = CC_AVCreateEventHandlingProfile(request, &profile, events.terminated(), method, 0, delivery,
                                                 localeCopy);
    if (delivery)
        CC_AVDel(request, delivery);
    if (localeCopy)
        CC_AVDel(request, localeCopy);
    if (status == 0) {
        status = CC_AppendValue(request, profile);
        if (status != 0)
            CC_AVDel(request, profile);
    }
    return status;
}

QvStatus BuildEventProfile(PrinterHandle *handle)
{
    RegKey printerKey(OpenPrinterKey(handle, KEY_READ));
    if (!printerKey)
        return kStatusRegistry;
    RegKey profiles;
    if (RegOpenKeyExA(printerKey.get(), kProfileKey, 0, KEY_READ, profiles.out()) != ERROR_SUCCESS)
        return 0;

    // First pass: how many events each list may hold.
    EventList port, mail;
    QvStatus status = ForEachFamily(profiles.get(), [&](const char *family) -> QvStatus {
        DWORD methods = 0;
        if (FamilyMethods(profiles.get(), family, &methods)) {
            port.capacity += (methods & kMethodPort) != 0;
            mail.capacity += (methods & kMethodMail) != 0;
        }
        return 0;
    });
    if (status != 0 || (port.capacity == 0 && mail.capacity == 0))
        return status;
    port.reserve();
    mail.reserve();
    if (g_eventProfileHooks.betweenPasses)
        g_eventProfileHooks.betweenPasses();

    // Second pass: the events of the families the machine knows. A family
    // added since the first pass would overrun a list: the job fails instead.
    status = ForEachFamily(profiles.get(), [&](const char *family) -> QvStatus {
        DWORD shoid = 0, methods = 0;
        if (!FamilyEvent(family, &shoid) || !FamilyMethods(profiles.get(), family, &methods))
            return 0;
        if ((methods & kMethodPort) && !port.add(int32_t(shoid)))
            return kStatusRegistry;
        if ((methods & kMethodMail) && !mail.add(int32_t(shoid)))
            return kStatusRegistry;
        return 0;
    });
    if (status != 0 || (port.events.empty() && mail.events.empty()))
        return status;

    std::string mailAddress;
    DWORD mailType = 0;
    bool mailUsable = !mail.events.empty() && MailSettings(printerKey.get(), &mailAddress, &mailType);

    QvRequest request = handle->job->printRequest;
    QvValue locale = 0;
    QvLocaleRecord record;
    if (I18N_GetDPALocaleFromLCID(request, GetUserDefaultLCID(), &record) == 0) {
        status = CC_AVCreateLocale(request, &locale, record.part[0], record.part[1], record.part[2],
                                   record.part[3], record.part[4], record.part[5], record.part[6]);
        if (status != 0)
            return status;
    }
    status = CC_SetAttributeType(request, kGroupJobText, kAttrNotificationProfile, 0, &kSyntaxEventProfile);
    if (status == 0 && !port.events.empty()) {
        char address[64] = "";
        status = EventPortAddress(address);
        if (status == 0 && address[0] != '\0')
            status = AppendProfile(request, port, &kDeliveryPort, kAddressTypePort, kAddressCodePort, address,
                                   locale);
    }
    if (status == 0 && mailUsable)
        status = AppendProfile(request, mail, &kDeliveryMail[mailType - 1], int32_t(mailType),
                               kAddressCodeMail, mailAddress.c_str(), locale);
    if (locale)
        CC_AVDel(request, locale);
    return status;
}

} // namespace

EventProfileHooks g_eventProfileHooks = {gethostname, nullptr};

// Adds attribute 123 with the port and mail profiles the printer's key asks
// for to the print request of the handle's job: -998 for registry, host-name
// and event-port trouble, -2 for memory, else the library's status. JobLock held.
QvStatus AddEventProfile(PrinterHandle *handle)
{
    try {
        return BuildEventProfile(handle);
    } catch (const std::bad_alloc &) {
        return kStatusNoMemory;
    }
}
