#include "fixture.h"

#include <tlhelp32.h>

const char kUserPrintersRoot[] = "Software\\Tamsell\\Quorvane\\CurrentVersion\\PRINTERS\\";
const char kPrintAssistantKeyPath[] = "Software\\Tamsell\\Quorvane\\CurrentVersion\\PrintAssistant";

namespace {
const char kTestRoot[] = "Software\\QvprovTest\\";
}

std::vector<std::string> JournalLines()
{
    int32_t size = SimJournalText(nullptr, 0);
    std::string text(size > 0 ? size : 1, '\0');
    SimJournalText(&text[0], size);
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line[0] != '\0')
            lines.push_back(line.c_str());
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

int FindJournal(const std::vector<std::string> &lines, const std::string &text, int from)
{
    for (size_t i = from < 0 ? 0 : from; i < lines.size(); ++i) {
        if (lines[i].find(text) != std::string::npos)
            return static_cast<int>(i);
    }
    return -1;
}

std::string LeakReport()
{
    int32_t size = SimLeakReport(nullptr, 0);
    std::string text(size > 0 ? size : 1, '\0');
    SimLeakReport(&text[0], size);
    return text.c_str();
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

bool ReadDword(HKEY root, const std::string &key, const char *value, DWORD *data)
{
    HKEY opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = sizeof *data;
    LONG result = RegQueryValueExA(opened, value, nullptr, &type, reinterpret_cast<BYTE *>(data), &size);
    RegCloseKey(opened);
    return result == ERROR_SUCCESS && type == REG_DWORD && size == sizeof *data;
}

void DeleteTree(HKEY root, const std::string &key)
{
    HKEY opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS)
        return;
    char name[512];
    for (;;) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(opened, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        DeleteTree(opened, name);
    }
    RegCloseKey(opened);
    RegDeleteKeyA(root, key.c_str());
}

bool KeyExists(HKEY root, const std::string &key)
{
    HKEY opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
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
    DeleteTree(HKEY_LOCAL_MACHINE, providerKey_.c_str());
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, providerKey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr));
    RegCloseKey(key);
    DeleteTree(HKEY_LOCAL_MACHINE, kPrintAssistantKeyPath);
    user_ = new UserHive(testName_);
    user_->Activate();
}

void ProviderTest::TearDown()
{
    UnloadProvider();
    delete user_;
    user_ = nullptr;
    DeleteTree(HKEY_LOCAL_MACHINE, providerKey_.c_str());
    DeleteTree(HKEY_LOCAL_MACHINE, kPrintAssistantKeyPath);
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
