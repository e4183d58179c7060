#include "fixture.h"

#include <tlhelp32.h>

const char kUserPrintersRoot[] = "Software\\Tamsell\\Quorvane\\CurrentVersion\\PRINTERS\\";
const char kPrintAssistantKeyPath[] = "Software\\Tamsell\\Quorvane\\CurrentVersion\\PrintAssistant";

namespace {
const char kTestRoot[] = "Software\\QvprovTest\\";
}

int ThreadCount()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    int count = 0;
    THREADENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ++count;
    }
    CloseHandle(snapshot);
    return count;
}

int WaitForThreadCount(int count)
{
    int now = ThreadCount();
    // A thread that has been told to end finishes once the loader lock is free.
    for (int i = 0; i < 500 && now > count; ++i) {
        Sleep(10);
        now = ThreadCount();
    }
    return now;
}

UserHive::UserHive(const std::string &name) : path_(std::string(kTestRoot) + name)
{
    Restore();
    DeleteTree(HKEY_CURRENT_USER, path_.c_str());
    RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
}

UserHive::~UserHive()
{
    Restore();
    if (key_)
        RegCloseKey(key_);
    DeleteTree(HKEY_CURRENT_USER, path_.c_str());
}

void UserHive::Activate()
{
    RegOverridePredefKey(HKEY_CURRENT_USER, key_);
}

void UserHive::Restore()
{
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
}

void ProviderTest::SetUp()
{
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    testName_ = std::string(info->test_suite_name()) + "." + info->name();
    for (char &c : testName_)
        if (c == '/')
            c = '_';
    SimReset();
    ASSERT_EQ(0, SimLoadDefaultNetwork());
    providerKey_ = std::string(kTestRoot) + testName_;
    registry_.reset(new qvtest::RegistrySandbox(HKEY_LOCAL_MACHINE, {providerKey_, kPrintAssistantKeyPath}));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, providerKey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr));
    RegCloseKey(key);
    user_ = new UserHive(testName_);
    user_->Activate();
}

void ProviderTest::TearDown()
{
    UnloadProvider();
    delete user_;
    user_ = nullptr;
    registry_.reset();
    EXPECT_EQ(0, SimLiveObjects(nullptr)) << LeakReport();
    EXPECT_EQ(0, SimOwnershipFaults()) << LeakReport();
}

void ProviderTest::LoadProvider()
{
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS),
              SpoolLoadProvider("qvprov.dll", providerKey_.c_str(), &provider_));
}

void ProviderTest::UnloadProvider()
{
    SpoolUnloadProvider(&provider_);
}

BOOL ProviderTest::Open(const char *name, HANDLE *handle)
{
    return provider_.table.fpOpenPrinter(const_cast<LPSTR>(name), handle, nullptr);
}

BOOL ProviderTest::Close(HANDLE handle)
{
    return provider_.table.fpClosePrinter(handle);
}
