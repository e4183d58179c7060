// Shared fixture of the qvprov tests: a fresh simulated network, a
// HKEY_CURRENT_USER of the test's own, and the provider loaded the way the
// spooler loads it.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qvsim.h"
#include "spoolhost.h"

constexpr DWORD kPoison = 0xdeadbeef;
extern const char kUserPrintersRoot[];      // "Software\Tamsell\...\PRINTERS\"
extern const char kPrintAssistantKeyPath[]; // under HKEY_LOCAL_MACHINE

// The simulator's journal as lines.
std::vector<std::string> JournalLines();
// Index of the first journal line at or after from that contains text; -1 if none.
int FindJournal(const std::vector<std::string> &lines, const std::string &text, int from = 0);
std::string LeakReport();

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

// A REG_DWORD of a key below root; false when missing or not a DWORD.
bool ReadDword(HKEY root, const std::string &key, const char *value, DWORD *data);
bool KeyExists(HKEY root, const std::string &key);
// Deletes a key with everything below it (the platform's headers stop at XP).
void DeleteTree(HKEY root, const std::string &key);

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
    SpoolProvider provider_ = {};
};
