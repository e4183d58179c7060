// Common fixture of the simulator's tests: a fresh default network before
// each test, and no live object and no ownership fault after it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "qvattr.h"
#include "qvcore.h"
#include "qvdpa.h"
#include "qvsim.h"
#include "journal.h"

using qvtest::JournalText;

inline std::string Journal()
{
    return JournalText();
}

inline std::string LeakText()
{
    return qvtest::LeakReport();
}

// Position of needle in the journal, npos when absent.
inline size_t Find(const std::string &text, const std::string &needle, size_t from = 0)
{
    return text.find(needle, from);
}

class SimTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, SimLoadDefaultNetwork()); }
    void TearDown() override
    {
        EXPECT_EQ(0, SimLiveObjects(nullptr)) << LeakText();
        EXPECT_EQ(0, SimOwnershipFaults()) << LeakText();
        SimReset();
    }
    // Checks and clears the faults a test provoked on purpose.
    void ExpectFaults(int32_t n)
    {
        EXPECT_EQ(n, SimOwnershipFaults()) << LeakText();
        ASSERT_EQ(0, SimLoadDefaultNetwork());
    }
};

// A request of the given type, closed at the end of the scope.
class Request {
public:
    explicit Request(int32_t type) { status_ = DPAOpenRequest(&handle_, type, 0); }
    ~Request()
    {
        if (handle_)
            DPACloseRequest(&handle_);
    }
    QvRequest operator*() const { return handle_; }
    QvRequest *operator&() { return &handle_; }
    int32_t status() const { return status_; }

private:
    QvRequest handle_ = 0;
    int32_t status_;
};

// Sets the domain attribute (3009) that names a domain of the given kind.
inline void AddDomain(QvRequest r, const char *domain, int32_t nameSpace)
{
    QvValue id = 0, oid = 0, text = 0, dn = 0;
    ASSERT_EQ(0, CC_AVCreateIdentifier(r, &id, nameSpace));
    ASSERT_EQ(0, CC_AVCreateNameOrOID(r, &oid, id));
    ASSERT_EQ(0, CC_AVDel(r, id));
    ASSERT_EQ(0, CC_AVCreateText(r, &text, 5, domain, 0));
    ASSERT_EQ(0, CC_AVCreateDistNameString(r, &dn, text, oid));
    ASSERT_EQ(0, CC_AVDel(r, text));
    ASSERT_EQ(0, CC_AVDel(r, oid));
    ASSERT_EQ(0, CC_SetAttributeType(r, 0, 3009, dn, 0));
}

inline void SetName(QvRequest r, int32_t group, int32_t type, const char *text)
{
    QvValue v = 0;
    ASSERT_EQ(0, CC_AVCreateSimpleName(r, &v, 5, text, (int32_t)strlen(text)));
    ASSERT_EQ(0, CC_SetAttributeType(r, group, type, v, 0));
}

inline void AskFor(QvRequest r, std::initializer_list<int32_t> types)
{
    const int32_t syntax = QV_SYNTAX_IDENTIFIER;
    ASSERT_EQ(0, CC_SetAttributeType(r, 0, 1001, 0, &syntax));
    for (int32_t t : types) {
        QvValue id = 0;
        ASSERT_EQ(0, CC_AVCreateIdentifier(r, &id, t));
        ASSERT_EQ(0, CC_AppendValue(r, id));
    }
}

// The text of a simple name or text value, released as the caller must.
inline std::string NameText(QvContext ctx, QvValue v)
{
    char *text = nullptr;
    uint32_t *len = nullptr;
    uint8_t kind = 0;
    if (CC_AVGetSimpleName(ctx, v, &kind, &text, &len) != 0)
        return "<error>";
    std::string s(text, *len);
    CC_AVFree(ctx, text);
    CC_AVFree(ctx, len);
    return s;
}
