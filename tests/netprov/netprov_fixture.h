/*
 * Test fixture: a fresh simulated network and a freshly loaded provider per
 * test; afterwards every enumeration closed, the provider unloaded and the
 * simulator's accounting clean.
 */
#ifndef NETPROV_FIXTURE_H
#define NETPROV_FIXTURE_H

#include <gtest/gtest.h>

#include <algorithm>
#include <string.h>
#include <string>
#include <vector>

#include "networks.h"
#include "qvcore.h"
#include "qvsim.h"
#include "router_host.h"

// Remote names of records.
inline std::vector<std::string> Names(const std::vector<Resource> &records)
{
    std::vector<std::string> names;
    for (const Resource &r : records)
        names.push_back(r.remote);
    return names;
}

class NetProvTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimReset();
        ASSERT_EQ(0, SimLoadNetwork(NetworkText()));
        SetKinds({NS_KIND_DEFAULT, NS_KIND_NIS});
        ASSERT_TRUE(host.load());
        SimJournalClear();
    }

    void TearDown() override
    {
        for (HANDLE h : m_open)
            EXPECT_EQ(DWORD(WN_SUCCESS), host.closeEnum(h));
        m_open.clear();
        EXPECT_EQ(0, LiveNameServiceObjects()) << LeakReport();
        EXPECT_TRUE(host.unload());
        EXPECT_EQ(0, SimLiveObjects(nullptr)) << LeakReport();
        EXPECT_EQ(0, SimOwnershipFaults()) << LeakReport();
        SimReset();
    }

    // The network the test runs on.
    virtual const char *NetworkText() const { return kTestNetwork; }

    static void SetKinds(std::vector<int32_t> kinds)
    {
        SimSetSupportedKinds(kinds.data(), int32_t(kinds.size()));
    }

    // Reloads the provider, so that its name-service start and kind table
    // begin anew.
    void Reload(const char *providerName = kProviderName)
    {
        for (HANDLE h : m_open)
            host.closeEnum(h);
        m_open.clear();
        ASSERT_TRUE(host.unload());
        ASSERT_TRUE(host.load(providerName));
        SimJournalClear();
    }

    // Opens an enumeration that the fixture closes unless the test does.
    HANDLE Open(const char *provider, const char *remote)
    {
        HANDLE h = reinterpret_cast<HANDLE>(kSentinel);
        DWORD status = host.open(provider, remote, &h);
        EXPECT_EQ(DWORD(WN_SUCCESS), status) << (remote ? remote : "(null)");
        if (status != WN_SUCCESS)
            return nullptr;
        m_open.push_back(h);
        return h;
    }

    DWORD Close(HANDLE h)
    {
        m_open.erase(std::remove(m_open.begin(), m_open.end(), h), m_open.end());
        return host.closeEnum(h);
    }

    RouterHost host;

private:
    std::vector<HANDLE> m_open;
};

#endif
