// Shared fixture of the qvprov tests: a fresh simulated network, a
// HKEY_CURRENT_USER of the test's own, and the provider loaded the way the
// spooler loads it.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "qvsim.h"
#include "spoolhost.h"
#include "journal.h"
#include "registry.h"

constexpr DWORD kPoison = 0xdeadbeef;
extern const char kUserPrintersRoot[];      // "Software\Tamsell\...\PRINTERS\"
extern const char kPrintAssistantKeyPath[]; // under HKEY_LOCAL_MACHINE

using qvtest::FindJournal;
using qvtest::JournalLines;
using qvtest::LeakReport;

// Threads of this process right now.
int ThreadCount();
// Waits (up to a few seconds) until the process has at most count threads.
int WaitForThreadCount(int count);

// Acts as one user: HKEY_CURRENT_USER points at a key of the test's own.
class UserHive {
public:
    explicit UserHive(const std::string &name);
    ~UserHive();
    void Activate();       // HKEY_CURRENT_USER now means this hive
    static void Restore(); // back to the real HKEY_CURRENT_USER
    HKEY key() const { return key_; }

private:
    std::string path_;
    HKEY key_ = nullptr;
};

using qvtest::DeleteTree;
using qvtest::KeyExists;
using qvtest::ReadDword;

class ProviderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Loads qvprov.dll as the spooler does; checks success.
    void LoadProvider();
    void UnloadProvider();

    BOOL Open(const char *name, HANDLE *handle);
    BOOL Close(HANDLE handle);

    std::string testName_;
    std::string providerKey_; // the provider's key under HKEY_LOCAL_MACHINE
    UserHive *user_ = nullptr;
    std::unique_ptr<qvtest::RegistrySandbox> registry_; // the provider's key and the plug-in key
    SpoolProvider provider_ = {};
};
