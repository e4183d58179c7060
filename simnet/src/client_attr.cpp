// qvattr on the client side: attribute values, the attributes, object
// instance and filter of a request, and the walk over a request's results.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "client.h"
#include "qvattr.h"
#include "qvdpa.h"

using namespace qvsim;

namespace {

// Longest event list a profile takes; a longer one is refused rather than
// read without end.
const int32_t kMaxProfileEvents = 1024;

// Common start of every CC_AVCreate call: context and out word.
int32_t CheckCreate(CallScope &c, QvContext context, QvValue *value)
{
    if (!CheckContext(context, c.Name()))
        return QV_STATUS_BAD_HANDLE;
    if (!value)
        return QV_STATUS_BAD_ARGUMENT;
    return 0;
}

int32_t Created(CallScope &c, QvContext context, QvValue *out, const Val &v)
{
    *out = NewValue(context, v);
    c.Out(std::to_string(*out) + " " + FormatValue(v));
    return c.Done(0);
}

// A value argument that may be 0 (absent): ok is false for a bad word.
const Val *OptionalValue(QvValue value, const char *function, bool &ok)
{
    ok = true;
    if (!value)
        return nullptr;
    ValueEntry *e = FindValue(value, function);
    ok = e != nullptr;
    return e ? &e->value : nullptr;
}

// The value a getter reads: checks the context lightly (a value is found by
// its own word), the word, and the syntax.
int32_t GetValue(CallScope &c, QvContext context, QvValue value, const Val *&out,
                 std::initializer_list<int32_t> syntaxes)
{
    (void)context;
    ValueEntry *e = FindValue(value, c.Name());
    if (!e)
        return QV_STATUS_BAD_HANDLE;
    for (int32_t s : syntaxes)
        if (e->value.syntax == s) {
            out = &e->value;
            return 0;
        }
    return QV_STATUS_WRONG_SYNTAX;
}

// Takes a value out of its word into the request; the word is gone afterwards.
Val TakeValue(QvValue value)
{
    auto it = Client().values.find(value);
    Val v = std::move(it->second.value);
    Client().values.erase(it);
    return v;
}

QvValue Optional(QvContext context, const Val &v)
{
    return v.syntax ? NewValue(context, v) : 0;
}

} // namespace

extern "C" {

// ---- Creating values ---------------------------------------------------------

QvStatus QVAPI CC_AVCreateSimpleName(QvContext context, QvValue *value, int32_t code, const char *text,
                                     int32_t length)
{
    CallScope c("CC_AVCreateSimpleName");
    c.ArgU(context).ArgPtr(value).Arg(code).Arg(text).Arg(length);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if ((s = CheckCreate(c, context, value)))
        return c.Done(s);
    if (!text)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    size_t n = strlen(text);
    if (length >= 0 && (size_t)length < n)
        n = (size_t)length;
    Val v = MakeName(std::string(text, n));
    v.code = code;
    return Created(c, context, value, v);
}

QvStatus QVAPI CC_AVCreateText(QvContext context, QvValue *value, int32_t code, const char *text,
                               int32_t flags)
{
    CallScope c("CC_AVCreateText");
    c.ArgU(context).ArgPtr(value).Arg(code).Arg(text).Arg(flags);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if ((s = CheckCreate(c, context, value)))
        return c.Done(s);
    if (!text)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    return Created(c, context, value, MakeText(text, code));
}

static QvStatus CreateNumber(const char *name, int32_t syntax, QvContext context, QvValue *value, int64_t n)
{
    CallScope c(name);
    c.ArgU(context).ArgPtr(value).Arg(n);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if ((s = CheckCreate(c, context, value)))
        return c.Done(s);
    return Created(c, context, value, MakeNumber(syntax, n));
}

QvStatus QVAPI CC_AVCreateIdentifier(QvContext context, QvValue *value, int32_t number)
{
    return CreateNumber("CC_AVCreateIdentifier", QV_SYNTAX_IDENTIFIER, context, value, number);
}

QvStatus QVAPI CC_AVCreateBoolean(QvContext context, QvValue *value, int32_t flag)
{
    return CreateNumber("CC_AVCreateBoolean", QV_SYNTAX_BOOLEAN, context, value, flag ? 1 : 0);
}

QvStatus QVAPI CC_AVCreateCardinal(QvContext context, QvValue *value, uint32_t number)
{
    return CreateNumber("CC_AVCreateCardinal", QV_SYNTAX_CARDINAL, context, value, number);
}

QvStatus QVAPI CC_AVCreateDeltaTime(QvContext context, QvValue *value, int32_t seconds)
{
    return CreateNumber("CC_AVCreateDeltaTime", QV_SYNTAX_DELTA_TIME, context, value, seconds);
}

QvStatus QVAPI CC_AVCreateNameOrOID(QvContext context, QvValue *value, QvValue identifierOrName)
{
    CallScope c("CC_AVCreateNameOrOID");
    c.ArgU(context).ArgPtr(value).ArgU(identifierOrName);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if ((s = CheckCreate(c, context, value)))
        return c.Done(s);
    ValueEntry *e = FindValue(identifierOrName, c.Name());
    if (!e)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if (e->value.syntax != QV_SYNTAX_IDENTIFIER && e->value.syntax != QV_SYNTAX_SIMPLE_NAME)
        return c.Done(QV_STATUS_WRONG_SYNTAX);
    Val v;
    v.syntax = QV_SYNTAX_NAME_OR_OID;
    v.sub.push_back(e->value);
    return Created(c, context, value, v);
}

QvStatus QVAPI CC_AVCreateDistNameString(QvContext context, QvValue *value, QvValue textPart,
                                         QvValue namePart)
{
    CallScope c("CC_AVCreateDistNameString");
    c.ArgU(context).ArgPtr(value).ArgU(textPart).ArgU(namePart);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if ((s = CheckCreate(c, context, value)))
        return c.Done(s);
    bool ok1, ok2;
    const Val *text = OptionalValue(textPart, c.Name(), ok1);
    const Val *name = OptionalValue(namePart, c.Name(), ok2);
    if (!ok1 || !ok2)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if ((text && text->syntax != QV_SYNTAX_TEXT && text->syntax != QV_SYNTAX_SIMPLE_NAME)
        || (name && name->syntax != QV_SYNTAX_NAME_OR_OID))
        return c.Done(QV_STATUS_WRONG_SYNTAX);
    Val v;
    v.syntax = QV_SYNTAX_DIST_NAME;
    v.sub.push_back(text ? *text : Val());
    v.sub.push_back(name ? *name : Val());
    return Created(c, context, value, v);
}

QvStatus QVAPI CC_AVCreateLocale(QvContext context, QvValue *value, uint32_t part1, uint32_t part2,
                                 uint32_t part3, uint32_t part4, uint32_t part5, uint32_t part6,
                                 uint32_t part7)
{
    CallScope c("CC_AVCreateLocale");
    c.ArgU(context)
        .ArgPtr(value)
        .ArgU(part1)
        .ArgU(part2)
        .ArgU(part3)
        .ArgU(part4)
        .ArgU(part5)
        .ArgU(part6)
        .ArgU(part7);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if ((s = CheckCreate(c, context, value)))
        return c.Done(s);
    Val v;
    v.syntax = QV_SYNTAX_LOCALE;
    v.parts = {(int32_t)part1, (int32_t)part2, (int32_t)part3, (int32_t)part4,
               (int32_t)part5, (int32_t)part6, (int32_t)part7};
    return Created(c, context, value, v);
}

QvStatus QVAPI CC_AVCreateJobIdentifier(QvContext context, QvValue *value, const char *jobIdentifier)
{
    CallScope c("CC_AVCreateJobIdentifier");
    c.ArgU(context).ArgPtr(value).Arg(jobIdentifier);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if ((s = CheckCreate(c, context, value)))
        return c.Done(s);
    if (!jobIdentifier)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    return Created(c, context, value, MakeJobId(jobIdentifier));
}

QvStatus QVAPI CC_AVCreateDocumentId(QvContext context, QvValue *value, const char *jobIdentifier,
                                     const int32_t *documentNumber)
{
    CallScope c("CC_AVCreateDocumentId");
    c.ArgU(context)
        .ArgPtr(value)
        .Arg(jobIdentifier)
        .ArgRaw(documentNumber ? "&" + std::to_string(*documentNumber) : std::string("null"));
    int32_t s;
    if (c.Injected(&s))
        return s;
    if ((s = CheckCreate(c, context, value)))
        return c.Done(s);
    if (!jobIdentifier || !documentNumber)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    Val v;
    v.syntax = QV_SYNTAX_DOCUMENT_ID;
    v.text = jobIdentifier;
    v.number = *documentNumber;
    return Created(c, context, value, v);
}

QvStatus QVAPI CC_AVCreateObjIdentification(QvContext context, QvValue *value, QvValue jobOrDocumentId)
{
    CallScope c("CC_AVCreateObjIdentification");
    c.ArgU(context).ArgPtr(value).ArgU(jobOrDocumentId);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if ((s = CheckCreate(c, context, value)))
        return c.Done(s);
    ValueEntry *e = FindValue(jobOrDocumentId, c.Name());
    if (!e)
        return c.Done(QV_STATUS_BAD_HANDLE);
    int32_t syn = e->value.syntax;
    if (syn != QV_SYNTAX_JOB_IDENTIFIER && syn != QV_SYNTAX_DOCUMENT_ID && syn != QV_SYNTAX_SIMPLE_NAME)
        return c.Done(QV_STATUS_WRONG_SYNTAX);
    return Created(c, context, value, MakeObjId(e->value));
}

QvStatus QVAPI CC_AVCreateDeliveryAddress(QvContext context, QvValue *value, int32_t type, int32_t code,
                                          const char *address)
{
    CallScope c("CC_AVCreateDeliveryAddress");
    c.ArgU(context).ArgPtr(value).Arg(type).Arg(code).Arg(address);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if ((s = CheckCreate(c, context, value)))
        return c.Done(s);
    if (!address)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    Val v;
    v.syntax = QV_SYNTAX_DELIVERY_ADDRESS;
    v.code = type;
    v.code2 = code;
    v.text = address;
    return Created(c, context, value, v);
}

QvStatus QVAPI CC_AVCreateEventHandlingProfile(QvContext context, QvValue *value, int32_t **events,
                                               const int32_t *method, int32_t flags, QvValue deliveryAddress,
                                               QvValue locale)
{
    CallScope c("CC_AVCreateEventHandlingProfile");
    c.ArgU(context)
        .ArgPtr(value)
        .ArgPtr(events)
        .ArgRaw(method ? "&" + std::to_string(*method) : std::string("null"))
        .Arg(flags)
        .ArgU(deliveryAddress)
        .ArgU(locale);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if ((s = CheckCreate(c, context, value)))
        return c.Done(s);
    if (!events || !method)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    bool ok1, ok2;
    const Val *address = OptionalValue(deliveryAddress, c.Name(), ok1);
    const Val *loc = OptionalValue(locale, c.Name(), ok2);
    if (!ok1 || !ok2)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if ((address && address->syntax != QV_SYNTAX_DELIVERY_ADDRESS)
        || (loc && loc->syntax != QV_SYNTAX_LOCALE))
        return c.Done(QV_STATUS_WRONG_SYNTAX);
    Val v;
    v.syntax = QV_SYNTAX_EVENT_PROFILE;
    for (int32_t i = 0; events[i]; ++i) {
        if (i >= kMaxProfileEvents)
            return c.Done(QV_STATUS_BAD_ARGUMENT);
        v.parts.push_back(*events[i]);
    }
    v.number = *method;
    v.code = flags;
    v.sub.push_back(address ? *address : Val());
    v.sub.push_back(loc ? *loc : Val());
    return Created(c, context, value, v);
}

QvStatus QVAPI CC_AVCopy(QvContext context, QvValue *copy, QvValue source)
{
    CallScope c("CC_AVCopy");
    c.ArgU(context).ArgPtr(copy).ArgU(source);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if ((s = CheckCreate(c, context, copy)))
        return c.Done(s);
    ValueEntry *e = FindValue(source, c.Name());
    if (!e)
        return c.Done(QV_STATUS_BAD_HANDLE);
    Val v = e->value;
    return Created(c, context, copy, v);
}

QvStatus QVAPI CC_AVDel(QvContext context, QvValue value)
{
    CallScope c("CC_AVDel");
    c.ArgU(context).ArgU(value);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if (!value)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if (!Client().values.erase(value)) {
        Fault("CC_AVDel: value " + std::to_string(value)
              + " not live (deleted twice, handed over, or never made)");
        return c.Done(QV_STATUS_BAD_HANDLE);
    }
    return c.Done(0);
}

QvStatus QVAPI CC_AVFree(QvContext context, void *memory)
{
    CallScope c("CC_AVFree");
    c.ArgU(context).ArgPtr(memory);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if (!memory)
        return c.Done(0);
    if (!Client().texts.erase(memory)) {
        Fault("CC_AVFree: memory not given out by the library or already freed");
        return c.Done(QV_STATUS_BAD_HANDLE);
    }
    free(memory);
    return c.Done(0);
}

int32_t QVAPI CC_AVType(QvContext context, QvValue value)
{
    CallScope c("CC_AVType");
    c.ArgU(context).ArgU(value);
    int32_t s;
    if (c.Injected(&s))
        return s;
    ValueEntry *e = FindValue(value, c.Name());
    if (!e)
        return c.Done(QV_STATUS_BAD_HANDLE);
    return c.Done(e->value.syntax);
}

// ---- Reading values ------------------------------------------------------------

static QvStatus GetNumber(const char *name, std::initializer_list<int32_t> syntaxes, QvContext context,
                          QvValue value, void *out)
{
    CallScope c(name);
    c.ArgU(context).ArgU(value).ArgPtr(out);
    int32_t s;
    if (c.Injected(&s))
        return s;
    const Val *v = nullptr;
    if ((s = GetValue(c, context, value, v, syntaxes)))
        return c.Done(s);
    if (!out)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    *(uint32_t *)out = (uint32_t)v->number;
    c.Out(v->number);
    return c.Done(0);
}

QvStatus QVAPI CC_AVGetCardinal(QvContext context, QvValue value, uint32_t *number)
{
    return GetNumber("CC_AVGetCardinal", {QV_SYNTAX_CARDINAL}, context, value, number);
}

QvStatus QVAPI CC_AVGetDeltaTime(QvContext context, QvValue value, int32_t *seconds)
{
    return GetNumber("CC_AVGetDeltaTime", {QV_SYNTAX_DELTA_TIME}, context, value, seconds);
}

QvStatus QVAPI CC_AVGetPositiveInteger(QvContext context, QvValue value, uint32_t *number)
{
    return GetNumber("CC_AVGetPositiveInteger", {QV_SYNTAX_POSITIVE_INTEGER}, context, value, number);
}

QvStatus QVAPI CC_AVGetPriority(QvContext context, QvValue value, int32_t *priority)
{
    return GetNumber("CC_AVGetPriority", {QV_SYNTAX_PRIORITY}, context, value, priority);
}

QvStatus QVAPI CC_AVGetIdentifier(QvContext context, QvValue value, int32_t *number)
{
    return GetNumber("CC_AVGetIdentifier", {QV_SYNTAX_IDENTIFIER}, context, value, number);
}

QvStatus QVAPI CC_AVGetBoolean(QvContext context, QvValue value, int32_t *flag)
{
    return GetNumber("CC_AVGetBoolean", {QV_SYNTAX_BOOLEAN}, context, value, flag);
}

QvStatus QVAPI CC_AVGetCardinal64(QvContext context, QvValue value, uint32_t *high, uint32_t *low)
{
    CallScope c("CC_AVGetCardinal64");
    c.ArgU(context).ArgU(value).ArgPtr(high).ArgPtr(low);
    int32_t s;
    if (c.Injected(&s))
        return s;
    const Val *v = nullptr;
    if ((s = GetValue(c, context, value, v, {QV_SYNTAX_CARDINAL64})))
        return c.Done(s);
    if (!high || !low)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    *high = (uint32_t)((uint64_t)v->number >> 32);
    *low = (uint32_t)((uint64_t)v->number & 0xffffffffu);
    c.Out(std::to_string((uint64_t)v->number));
    return c.Done(0);
}

QvStatus QVAPI CC_AVGetJobIdentifier(QvContext context, QvValue value, char **text)
{
    CallScope c("CC_AVGetJobIdentifier");
    c.ArgU(context).ArgU(value).ArgPtr(text);
    int32_t s;
    if (c.Injected(&s))
        return s;
    const Val *v = nullptr;
    if ((s = GetValue(c, context, value, v,
                      {QV_SYNTAX_JOB_IDENTIFIER, QV_SYNTAX_DOCUMENT_ID, QV_SYNTAX_OBJ_IDENTIFICATION,
                       QV_SYNTAX_OBJECT_INSTANCE})))
        return c.Done(s);
    if (!text)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    std::string id = JobIdOf(*v);
    if (id.empty())
        return c.Done(QV_STATUS_WRONG_SYNTAX);
    if (!(*text = HeapText(id)))
        return c.Done(QV_STATUS_NO_MEMORY);
    c.Out(Quote(id));
    return c.Done(0);
}

QvStatus QVAPI CC_AVGetObjIdentification(QvContext context, QvValue instance, QvValue *identification)
{
    CallScope c("CC_AVGetObjIdentification");
    c.ArgU(context).ArgU(instance).ArgPtr(identification);
    int32_t s;
    if (c.Injected(&s))
        return s;
    const Val *v = nullptr;
    if ((s = GetValue(c, context, instance, v, {QV_SYNTAX_OBJECT_INSTANCE, QV_SYNTAX_OBJ_IDENTIFICATION})))
        return c.Done(s);
    if (!identification)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    Val id = v->syntax == QV_SYNTAX_OBJ_IDENTIFICATION ? *v : v->sub.size() > 1 ? v->sub[1] : Val();
    if (!id.syntax)
        return c.Done(QV_STATUS_ATTRIBUTE_ABSENT);
    return Created(c, context, identification, id);
}

QvStatus QVAPI CC_AVGetGeneralizedTime(QvContext context, QvValue value, uint16_t *day, uint16_t *month,
                                       uint16_t *year, uint16_t *hour, uint16_t *minute, uint16_t *second)
{
    CallScope c("CC_AVGetGeneralizedTime");
    c.ArgU(context).ArgU(value);
    int32_t s;
    if (c.Injected(&s))
        return s;
    const Val *v = nullptr;
    if ((s = GetValue(c, context, value, v, {QV_SYNTAX_GENERALIZED_TIME})))
        return c.Done(s);
    if (!day || !month || !year || !hour || !minute || !second || v->parts.size() != 6)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    uint16_t *outs[6] = {day, month, year, hour, minute, second};
    for (int i = 0; i < 6; ++i)
        *outs[i] = (uint16_t)v->parts[i];
    c.Out(FormatValue(*v));
    return c.Done(0);
}

QvStatus QVAPI CC_AVGetSimpleName(QvContext context, QvValue value, uint8_t *kind, char **text,
                                  uint32_t **length)
{
    CallScope c("CC_AVGetSimpleName");
    c.ArgU(context).ArgU(value).ArgPtr(kind).ArgPtr(text).ArgPtr(length);
    int32_t s;
    if (c.Injected(&s))
        return s;
    const Val *v = nullptr;
    if ((s = GetValue(c, context, value, v, {QV_SYNTAX_SIMPLE_NAME})))
        return c.Done(s);
    char *t = nullptr;
    uint32_t *len = nullptr;
    if (text && !(t = HeapText(v->text)))
        return c.Done(QV_STATUS_NO_MEMORY);
    if (length) {
        len = (uint32_t *)malloc(sizeof(uint32_t));
        if (!len) {
            Client().texts.erase(t);
            free(t);
            return c.Done(QV_STATUS_NO_MEMORY);
        }
        *len = (uint32_t)v->text.size();
        Client().texts.insert(len);
    }
    if (kind)
        *kind = (uint8_t)v->code;
    if (text)
        *text = t;
    if (length)
        *length = len;
    c.Out(Quote(v->text));
    return c.Done(0);
}

QvStatus QVAPI CC_AVGetDescriptor(QvContext context, QvValue value, int32_t *kind, char **text, char **other)
{
    CallScope c("CC_AVGetDescriptor");
    c.ArgU(context).ArgU(value).ArgPtr(kind).ArgPtr(text).ArgPtr(other);
    int32_t s;
    if (c.Injected(&s))
        return s;
    const Val *v = nullptr;
    if ((s = GetValue(c, context, value, v, {QV_SYNTAX_DESCRIPTOR})))
        return c.Done(s);
    char *t = nullptr, *o = nullptr;
    if ((text && !(t = HeapText(v->text))) || (other && !(o = HeapText(v->text2)))) {
        if (t) {
            Client().texts.erase(t);
            free(t);
        }
        return c.Done(QV_STATUS_NO_MEMORY);
    }
    if (kind)
        *kind = v->code;
    if (text)
        *text = t;
    if (other)
        *other = o;
    c.Out(Quote(v->text));
    return c.Done(0);
}

QvStatus QVAPI CC_AVGetText(QvContext context, QvValue value, int32_t *code, char **text, char **other)
{
    CallScope c("CC_AVGetText");
    c.ArgU(context).ArgU(value).ArgPtr(code).ArgPtr(text).ArgPtr(other);
    int32_t s;
    if (c.Injected(&s))
        return s;
    const Val *v = nullptr;
    if ((s = GetValue(c, context, value, v, {QV_SYNTAX_TEXT, QV_SYNTAX_SIMPLE_NAME})))
        return c.Done(s);
    if (!text)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    char *t = HeapText(v->text);
    if (!t)
        return c.Done(QV_STATUS_NO_MEMORY);
    if (code)
        *code = v->code;
    *text = t;
    if (other)
        *other = nullptr;
    c.Out(Quote(v->text));
    return c.Done(0);
}

QvStatus QVAPI CC_AVGetDistNameString(QvContext context, QvValue value, QvValue *textPart, QvValue *namePart)
{
    CallScope c("CC_AVGetDistNameString");
    c.ArgU(context).ArgU(value).ArgPtr(textPart).ArgPtr(namePart);
    int32_t s;
    if (c.Injected(&s))
        return s;
    const Val *v = nullptr;
    if ((s = GetValue(c, context, value, v, {QV_SYNTAX_DIST_NAME})))
        return c.Done(s);
    if (!textPart || !namePart)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    Val text = v->sub.size() > 0 ? v->sub[0] : Val();
    Val name = v->sub.size() > 1 ? v->sub[1] : Val();
    *textPart = Optional(context, text);
    *namePart = Optional(context, name);
    c.Out(std::to_string(*textPart) + "," + std::to_string(*namePart));
    return c.Done(0);
}

QvStatus QVAPI CC_AVGetNameOrOID(QvContext context, QvValue value, QvValue *name)
{
    CallScope c("CC_AVGetNameOrOID");
    c.ArgU(context).ArgU(value).ArgPtr(name);
    int32_t s;
    if (c.Injected(&s))
        return s;
    const Val *v = nullptr;
    if ((s = GetValue(c, context, value, v, {QV_SYNTAX_NAME_OR_OID})))
        return c.Done(s);
    if (!name)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    if (v->sub.empty() || !v->sub[0].syntax)
        return c.Done(QV_STATUS_ATTRIBUTE_ABSENT);
    Val inner = v->sub[0];
    return Created(c, context, name, inner);
}

QvStatus QVAPI CC_AVGetDriverInfo(QvContext context, QvValue value, int32_t *version, QvValue *name,
                                  int32_t *platform, QvValue *driverPath, QvValue *dataFile,
                                  QvValue *configFile, QvValue *helpFile, QvValue **dependentFiles,
                                  QvValue *monitorName, QvValue *defaultDataType, QvValue *environment)
{
    CallScope c("CC_AVGetDriverInfo");
    c.ArgU(context).ArgU(value);
    int32_t s;
    if (c.Injected(&s))
        return s;
    const Val *v = nullptr;
    if ((s = GetValue(c, context, value, v, {QV_SYNTAX_DRIVER_INFO})))
        return c.Done(s);
    if (!version || !name || !platform || !driverPath || !dataFile || !configFile || !helpFile
        || !dependentFiles || !monitorName || !defaultDataType || !environment)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    Val d = *v; // the value table may move while new words are made
    d.sub.resize(std::max<size_t>(d.sub.size(), kDrvFirstDependent));
    size_t deps = d.sub.size() - kDrvFirstDependent;
    QvValue *array = nullptr;
    if (deps) {
        array = (QvValue *)malloc((deps + 1) * sizeof(QvValue));
        if (!array)
            return c.Done(QV_STATUS_NO_MEMORY);
        Client().texts.insert(array);
        for (size_t i = 0; i < deps; ++i)
            array[i] = NewValue(context, d.sub[kDrvFirstDependent + i]);
        array[deps] = 0;
    }
    *version = (int32_t)d.number;
    *platform = d.code;
    *name = Optional(context, d.sub[kDrvName]);
    *driverPath = Optional(context, d.sub[kDrvPath]);
    *dataFile = Optional(context, d.sub[kDrvData]);
    *configFile = Optional(context, d.sub[kDrvConfig]);
    *helpFile = Optional(context, d.sub[kDrvHelp]);
    *monitorName = Optional(context, d.sub[kDrvMonitor]);
    *defaultDataType = Optional(context, d.sub[kDrvType]);
    *environment = Optional(context, d.sub[kDrvEnv]);
    *dependentFiles = array;
    c.Out("platform " + std::to_string(d.code));
    return c.Done(0);
}

// ---- Building requests -----------------------------------------------------------

QvStatus QVAPI CC_SetAttributeType(QvRequest request, int32_t group, int32_t type, QvValue value,
                                   const int32_t *syntax)
{
    CallScope c("CC_SetAttributeType");
    c.ArgU(request).Arg(group).Arg(type).ArgU(value).ArgRaw(syntax ? "&" + std::to_string(*syntax)
                                                                   : std::string("0"));
    int32_t s;
    if (c.Injected(&s))
        return s;
    RequestState *r = FindRequest(request, c.Name());
    if (!r)
        return c.Done(QV_STATUS_BAD_HANDLE);
    Attribute a;
    a.group = group;
    a.type = type;
    if (value) {
        if (!FindValue(value, c.Name()))
            return c.Done(QV_STATUS_BAD_HANDLE);
        a.values.push_back(TakeValue(value));
    } else if (syntax) {
        a.syntax = *syntax;
    }
    r = FindRequest(request, c.Name());
    r->attributes.push_back(std::move(a));
    r->lastAttribute = (int32_t)r->attributes.size() - 1;
    return c.Done(0);
}

QvStatus QVAPI CC_AppendValue(QvRequest request, QvValue value)
{
    CallScope c("CC_AppendValue");
    c.ArgU(request).ArgU(value);
    int32_t s;
    if (c.Injected(&s))
        return s;
    RequestState *r = FindRequest(request, c.Name());
    if (!r)
        return c.Done(QV_STATUS_BAD_HANDLE);
    ValueEntry *e = FindValue(value, c.Name());
    if (!e)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if (r->lastAttribute < 0)
        return c.Done(QV_STATUS_WRONG_STATE);
    Attribute &a = r->attributes[r->lastAttribute];
    if (a.syntax && a.syntax != e->value.syntax)
        return c.Done(QV_STATUS_WRONG_SYNTAX);
    a.values.push_back(TakeValue(value));
    return c.Done(0);
}

QvStatus QVAPI CC_SetObjectInstance(QvRequest request, QvValue name, QvValue identification)
{
    CallScope c("CC_SetObjectInstance");
    c.ArgU(request).ArgU(name).ArgU(identification);
    int32_t s;
    if (c.Injected(&s))
        return s;
    RequestState *r = FindRequest(request, c.Name());
    if (!r)
        return c.Done(QV_STATUS_BAD_HANDLE);
    bool ok1, ok2;
    OptionalValue(name, c.Name(), ok1);
    OptionalValue(identification, c.Name(), ok2);
    if (!ok1 || !ok2)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if (name == identification && name)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    r->instanceName = name ? TakeValue(name) : Val();
    r->instanceId = identification ? TakeValue(identification) : Val();
    r->hasInstance = true;
    return c.Done(0);
}

QvStatus QVAPI CC_OpenFilter(QvRequest request, int32_t kind, int32_t flags, QvFilter *filter)
{
    CallScope c("CC_OpenFilter");
    c.ArgU(request).Arg(kind).Arg(flags).ArgPtr(filter);
    int32_t s;
    if (c.Injected(&s))
        return s;
    RequestState *r = FindRequest(request, c.Name());
    if (!r)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if (!filter)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    if (r->filter)
        return c.Done(QV_STATUS_WRONG_STATE);
    r->filter = NewHandle();
    Client().filters[r->filter] = request;
    *filter = r->filter;
    c.Out(*filter);
    return c.Done(0);
}

QvStatus QVAPI CC_SetFilterItem(QvRequest request, QvFilter filter, int32_t match, int32_t type,
                                QvValue value)
{
    CallScope c("CC_SetFilterItem");
    c.ArgU(request).ArgU(filter).Arg(match).Arg(type).ArgU(value);
    int32_t s;
    if (c.Injected(&s))
        return s;
    RequestState *r = FindRequest(request, c.Name());
    if (!r)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if (!filter || r->filter != filter) {
        if (filter)
            Fault("CC_SetFilterItem: filter " + std::to_string(filter) + " is not the request's");
        return c.Done(QV_STATUS_BAD_HANDLE);
    }
    if (!FindValue(value, c.Name()))
        return c.Done(QV_STATUS_BAD_HANDLE);
    FilterItem item;
    item.match = match;
    item.type = type;
    item.value = TakeValue(value);
    r->filterItems.push_back(std::move(item));
    return c.Done(0);
}

// ---- Reading results ---------------------------------------------------------------

QvStatus QVAPI CC_GetObjectInstance(QvRequest request, int32_t flags, QvValue *instance)
{
    CallScope c("CC_GetObjectInstance");
    c.ArgU(request).Arg(flags).ArgPtr(instance);
    int32_t s;
    if (c.Injected(&s))
        return s;
    RequestState *r = FindRequest(request, c.Name());
    if (!r)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if (!r->submitted)
        return c.Done(QV_STATUS_WRONG_STATE);
    r->foundIndex = -1;
    if (r->nextResult >= r->results.size()) {
        // The end of the walk; the next call starts again at the first object.
        r->nextResult = 0;
        r->currentResult = -1;
        return c.Done(QV_STATUS_NO_MORE_OBJECTS);
    }
    r->currentResult = (int32_t)r->nextResult++;
    if (instance) {
        Val v = r->results[r->currentResult].instance;
        *instance = NewValue(request, v);
        c.Out(std::to_string(*instance) + " " + FormatValue(v));
    }
    return c.Done(0);
}

QvStatus QVAPI CC_FindAttributeType(QvRequest request, int32_t group, int32_t flags, int32_t type)
{
    CallScope c("CC_FindAttributeType");
    c.ArgU(request).Arg(group).Arg(flags).Arg(type);
    int32_t s;
    if (c.Injected(&s))
        return s;
    RequestState *r = FindRequest(request, c.Name());
    if (!r)
        return c.Done(QV_STATUS_BAD_HANDLE);
    r->foundIndex = -1;
    const std::vector<Attribute> *attrs = &r->attributes;
    if (group == QV_GROUP_RESULT) {
        if (r->currentResult < 0)
            return c.Done(QV_STATUS_WRONG_STATE);
        attrs = &r->results[r->currentResult].attributes;
    }
    for (size_t i = 0; i < attrs->size(); ++i) {
        const Attribute &a = (*attrs)[i];
        if (!a.byName && a.group == group && a.type == type) {
            r->foundGroup = group;
            r->foundIndex = (int32_t)i;
            r->valueCursor = 0;
            return c.Done(0);
        }
    }
    return c.Done(QV_STATUS_ATTRIBUTE_ABSENT);
}

QvStatus QVAPI CC_GetValueIncr(QvRequest request, int32_t group, QvValue *value)
{
    CallScope c("CC_GetValueIncr");
    c.ArgU(request).Arg(group).ArgPtr(value);
    int32_t s;
    if (c.Injected(&s))
        return s;
    RequestState *r = FindRequest(request, c.Name());
    if (!r)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if (!value)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    if (r->foundIndex < 0 || r->foundGroup != group)
        return c.Done(QV_STATUS_WRONG_STATE);
    const Attribute &a = group == QV_GROUP_RESULT ? r->results[r->currentResult].attributes[r->foundIndex]
                                                  : r->attributes[r->foundIndex];
    if (a.values.empty() && r->valueCursor == 0) {
        // An attribute without a value gives one empty word.
        r->valueCursor = 1;
        *value = 0;
        c.Out("0");
        return c.Done(0);
    }
    if (r->valueCursor >= a.values.size())
        return c.Done(QV_STATUS_NO_VALUE_LEFT);
    Val v = a.values[r->valueCursor++];
    *value = NewValue(request, v);
    c.Out(std::to_string(*value) + " " + FormatValue(v));
    return c.Done(0);
}

} // extern "C"
