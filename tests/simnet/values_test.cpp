// Attribute values: each kind through its create and get calls.
#include <cstdlib>
#include <cstring>
#include <functional>

#include "simfixture.h"

using SimValues = SimTest;

TEST_F(SimValues, NumbersRoundTrip)
{
    Request r(DPA_REQUEST_LIST);
    struct Case {
        const char *name;
        std::function<int32_t(QvValue *)> create;
        std::function<int32_t(QvValue, uint32_t *)> get;
        int32_t syntax;
        uint32_t expected;
    } cases[] = {
        {"identifier", [&](QvValue *v) { return CC_AVCreateIdentifier(*r, v, 3044); },
         [&](QvValue v, uint32_t *o) { return CC_AVGetIdentifier(*r, v, (int32_t *)o); },
         QV_SYNTAX_IDENTIFIER, 3044},
        {"boolean", [&](QvValue *v) { return CC_AVCreateBoolean(*r, v, 7); },
         [&](QvValue v, uint32_t *o) { return CC_AVGetBoolean(*r, v, (int32_t *)o); }, QV_SYNTAX_BOOLEAN, 1},
        {"cardinal", [&](QvValue *v) { return CC_AVCreateCardinal(*r, v, 0xfffffffeu); },
         [&](QvValue v, uint32_t *o) { return CC_AVGetCardinal(*r, v, o); }, QV_SYNTAX_CARDINAL, 0xfffffffeu},
        {"delta time", [&](QvValue *v) { return CC_AVCreateDeltaTime(*r, v, -60); },
         [&](QvValue v, uint32_t *o) { return CC_AVGetDeltaTime(*r, v, (int32_t *)o); }, QV_SYNTAX_DELTA_TIME,
         (uint32_t)-60},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QvValue v = 0;
        ASSERT_EQ(0, c.create(&v));
        ASSERT_NE(0u, v);
        EXPECT_EQ(c.syntax, CC_AVType(*r, v));
        uint32_t out = 0xdeadbeef;
        EXPECT_EQ(0, c.get(v, &out));
        EXPECT_EQ(c.expected, out);
        QvValue copy = 0;
        ASSERT_EQ(0, CC_AVCopy(*r, &copy, v));
        EXPECT_EQ(0, CC_AVDel(*r, v));
        out = 0xdeadbeef;
        EXPECT_EQ(0, c.get(copy, &out)) << "a copy outlives its source";
        EXPECT_EQ(c.expected, out);
        int32_t wrong = 0;
        EXPECT_EQ(QV_STATUS_WRONG_SYNTAX, CC_AVGetPriority(*r, copy, &wrong));
        EXPECT_EQ(0, CC_AVDel(*r, copy));
    }
}

TEST_F(SimValues, TextsNamesAndIdentifiersRoundTrip)
{
    Request r(DPA_REQUEST_LIST);
    QvValue name = 0, text = 0, job = 0, doc = 0, objId = 0;
    ASSERT_EQ(0, CC_AVCreateSimpleName(*r, &name, 5, "lp1 and more", 3));
    EXPECT_EQ("lp1", NameText(*r, name)) << "the length argument counts";

    ASSERT_EQ(0, CC_AVCreateText(*r, &text, 5, "C:\\dir\\file.drv", 0));
    int32_t code = -1;
    char *t = nullptr, *other = (char *)1;
    ASSERT_EQ(0, CC_AVGetText(*r, text, &code, &t, &other));
    EXPECT_STREQ("C:\\dir\\file.drv", t);
    EXPECT_EQ(5, code);
    EXPECT_EQ(nullptr, other);
    free(t); // texts may go back through the C run-time's free

    ASSERT_EQ(0, CC_AVCreateJobIdentifier(*r, &job, "42-srv1"));
    const int32_t number = 3;
    ASSERT_EQ(0, CC_AVCreateDocumentId(*r, &doc, "42-srv1", &number));
    ASSERT_EQ(0, CC_AVCreateObjIdentification(*r, &objId, doc));
    for (QvValue v : {job, doc, objId}) {
        char *id = nullptr;
        ASSERT_EQ(0, CC_AVGetJobIdentifier(*r, v, &id));
        EXPECT_STREQ("42-srv1", id);
        EXPECT_EQ(0, CC_AVFree(*r, id));
    }
    EXPECT_EQ(QV_SYNTAX_OBJ_IDENTIFICATION, CC_AVType(*r, objId));
    for (QvValue v : {name, text, job, doc, objId})
        EXPECT_EQ(0, CC_AVDel(*r, v));
}

TEST_F(SimValues, DistinguishedNameComesApartAsItWasMade)
{
    Request r(DPA_REQUEST_LIST);
    QvValue id = 0, oid = 0, text = 0, dn = 0, empty = 0;
    ASSERT_EQ(0, CC_AVCreateIdentifier(*r, &id, 3044));
    ASSERT_EQ(0, CC_AVCreateNameOrOID(*r, &oid, id));
    ASSERT_EQ(0, CC_AVCreateText(*r, &text, 5, "ann", 0));
    ASSERT_EQ(0, CC_AVCreateDistNameString(*r, &dn, text, oid));
    ASSERT_EQ(0, CC_AVCreateDistNameString(*r, &empty, 0, 0));
    for (QvValue v : {id, oid, text})
        EXPECT_EQ(0, CC_AVDel(*r, v));

    QvValue textPart = 0, namePart = 0, inner = 0;
    ASSERT_EQ(0, CC_AVGetDistNameString(*r, dn, &textPart, &namePart));
    char *t = nullptr, *other = nullptr;
    ASSERT_EQ(0, CC_AVGetText(*r, textPart, nullptr, &t, &other));
    EXPECT_STREQ("ann", t);
    free(t);
    ASSERT_EQ(0, CC_AVGetNameOrOID(*r, namePart, &inner));
    EXPECT_EQ(QV_SYNTAX_IDENTIFIER, CC_AVType(*r, inner));
    int32_t n = 0;
    EXPECT_EQ(0, CC_AVGetIdentifier(*r, inner, &n));
    EXPECT_EQ(3044, n);
    for (QvValue v : {textPart, namePart, inner, dn})
        EXPECT_EQ(0, CC_AVDel(*r, v));

    textPart = namePart = 0xdead;
    ASSERT_EQ(0, CC_AVGetDistNameString(*r, empty, &textPart, &namePart));
    EXPECT_EQ(0u, textPart);
    EXPECT_EQ(0u, namePart);
    EXPECT_EQ(0, CC_AVDel(*r, empty));
}

TEST_F(SimValues, KindsWithoutGettersReachTheServerWhole)
{
    // Locale, delivery address and event-handling profile are only sent:
    // the journal shows them as the server received them.
    Request r(DPA_REQUEST_PRINT);
    QvLocaleRecord loc;
    ASSERT_EQ(0, I18N_GetDPALocaleFromLCID(*r, 0x0409, &loc));
    QvValue locale = 0, copy = 0, address = 0, profile = 0;
    ASSERT_EQ(0,
              CC_AVCreateLocale(*r, &locale, loc.part[0], loc.part[1], loc.part[2], loc.part[3], loc.part[4],
                                loc.part[5], loc.part[6]));
    ASSERT_EQ(0, CC_AVCopy(*r, &copy, locale));
    ASSERT_EQ(0, CC_AVCreateDeliveryAddress(*r, &address, 0, 5, "10.0.0.1:5678"));
    int32_t e1 = 7, e2 = 9;
    int32_t *events[] = {&e1, &e2, nullptr};
    const int32_t method = 3003;
    ASSERT_EQ(0, CC_AVCreateEventHandlingProfile(*r, &profile, events, &method, 0, address, copy));
    EXPECT_EQ(QV_SYNTAX_EVENT_PROFILE, CC_AVType(*r, profile));
    EXPECT_EQ(QV_SYNTAX_LOCALE, CC_AVType(*r, locale));
    EXPECT_EQ(0, CC_AVDel(*r, address));
    EXPECT_EQ(0, CC_AVDel(*r, copy));

    AddDomain(*r, "corp", 3051);
    ASSERT_EQ(0, CC_SetAttributeType(*r, 21, 98, locale, 0));
    SetName(*r, 0, 244, "lp1");
    const int32_t profiles = QV_SYNTAX_EVENT_PROFILE;
    ASSERT_EQ(0, CC_SetAttributeType(*r, 1, 123, 0, &profiles));
    ASSERT_EQ(0, CC_AppendValue(*r, profile));
    ASSERT_EQ(0, CC_SubmitRequest(*r));
    std::string j = Journal();
    EXPECT_NE(std::string::npos, Find(j, "  ATTR 21 98 Locale(1033,9,1,0,1,0,0)")) << j;
    EXPECT_NE(std::string::npos,
              Find(j,
                   "  ATTR 1 123 EventProfile([7,9],3003,0,DeliveryAddress(0,5,\"10.0.0.1:5678\"),"
                   "Locale(1033,9,1,0,1,0,0))"))
        << j;
    QvValue instance = 0;
    ASSERT_EQ(0, CC_GetObjectInstance(*r, 0, &instance));
    EXPECT_EQ(0, CC_AVDel(*r, instance));

    QvLocaleRecord none;
    EXPECT_NE(0, I18N_GetDPALocaleFromLCID(*r, 0, &none)) << "the neutral locale has no record";
}

TEST_F(SimValues, MisuseIsRefusedAndCounted)
{
    Request r(DPA_REQUEST_LIST);
    QvValue v = 0;
    ASSERT_EQ(0, CC_AVCreateCardinal(*r, &v, 1));
    EXPECT_EQ(0, CC_AVDel(*r, v));
    EXPECT_NE(0, CC_AVDel(*r, v)) << "deleted twice";
    uint32_t n = 0;
    EXPECT_NE(0, CC_AVGetCardinal(*r, v, &n)) << "used after delete";
    char stack[4];
    EXPECT_NE(0, CC_AVFree(*r, stack)) << "memory the library never gave";
    EXPECT_NE(0, CC_AVCreateCardinal(0xdeadbeef, &v, 1)) << "unknown context";
    EXPECT_NE(0, CC_AVCreateCardinal(*r, nullptr, 1));
    EXPECT_NE(0, CC_AVCreateSimpleName(*r, &v, 5, nullptr, 0));
    EXPECT_GT(0, CC_AVType(*r, 0x12345));

    // A value left live when its request closes is reclaimed and counted.
    QvRequest other = 0;
    ASSERT_EQ(0, DPAOpenRequest(&other, DPA_REQUEST_LIST, 0));
    QvValue orphan = 0;
    ASSERT_EQ(0, CC_AVCreateIdentifier(other, &orphan, 87));
    ASSERT_EQ(0, DPACloseRequest(&other));
    EXPECT_EQ(0u, other);
    EXPECT_NE(std::string::npos, LeakText().find("Id(87) still live when its request"));
    EXPECT_EQ(0, SimLiveObjects("value"));
    ExpectFaults(6);
}
