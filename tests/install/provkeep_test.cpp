/*
 * ProvKeep.dll against Wine's registry: the provider's key is moved to the
 * saved copy under HKEY_USERS and brought back. The two keys are fixed, so
 * these tests hold a lock, and put back whatever the machine had there.
 * Message boxes are real and answered by a CBT hook.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include <functional>
#include "boxcapture.h"
#include "regtree.h"

namespace {

const std::wstring kProvidersPath = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Providers";
const std::wstring kProviderName = L"Novell Print Provider for Netware";
const std::wstring kProviderPath = kProvidersPath + L"\\" + kProviderName;
// Keys of the tests' own, under HKEY_CURRENT_USER.
const std::wstring kScratchPath = L"Software\\QuorvaneTests\\ProvKeep";

const char kOpenFailed[] = "Failed to open Registry";
const char kCreateFailed[] = "Failed to create Registry keys";

// Longest value name and class that the copy reads: 259 characters.
constexpr size_t kLongestName = 259;

using Entry = int(WINAPI *)(void);

bool KeyExists(HKEY root, const std::wstring &path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}
enum class Op { Backup, Restore };

struct Step {
    Op op;
    int result;
    const char *message; // the one box expected, or null for none
};

std::vector<BYTE> Pattern(size_t bytes)
{
    std::vector<BYTE> data(bytes);
    for (size_t i = 0; i < bytes; ++i)
        data[i] = static_cast<BYTE>(i * 7 + i / 256);
    return data;
}

std::vector<BYTE> AllByteValues()
{
    std::vector<BYTE> data(256);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<BYTE>(i);
    return data;
}

std::vector<BYTE> Multi(const std::wstring &withInnerNuls)
{
    const BYTE *bytes = reinterpret_cast<const BYTE *>(withInnerNuls.data());
    return std::vector<BYTE>(bytes, bytes + (withInnerNuls.size() + 1) * sizeof(wchar_t));
}

// Every value type and size, the longest name, keys with and without values,
// with and without subkeys and classes, three levels deep.
RegTree RichTree()
{
    RegTree tree;
    tree.Text(L"", L"NetWare print provider")
        .Text(L"Name", L"nwpp32.dll")
        .Text(L"Path", L"%windir%\\system\\nwpp32.dll", REG_EXPAND_SZ)
        .Text(L"Caf\u00e9", L"cr\u00e8me \u00fcber")
        .Value(L"Ports", REG_MULTI_SZ, Multi(std::wstring(L"NW1\0NW2\0", 8)))
        .Dword(L"Flags", 0x12345678)
        .Value(L"BigEndian", REG_DWORD_BIG_ENDIAN, {1, 2, 3, 4})
        .Value(L"Qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8})
        .Value(L"AllBytes", REG_BINARY, AllByteValues())
        .Value(L"Empty", REG_BINARY, {})
        .Value(L"EmptyText", REG_SZ, {})
        .Value(L"None", REG_NONE, {9, 8, 7})
        .Value(L"OwnType", 0x4711, {0})
        .Value(L"Large", REG_BINARY, Pattern(100000))
        .Text(std::wstring(kLongestName, L'n'), L"longest name");
    tree.Sub(L"Driver", RegTree::Classed(L"DriverClass").Text(L"File", L"nwdrv.dll").Dword(L"Version", 4));
    tree.Sub(L"Ports",
             RegTree {}
                 .Sub(L"LPT1", RegTree::Classed(L"PortClass").Text(L"Queue", L"Q1"))
                 .Sub(L"Empty", RegTree {}));
    tree.Sub(
        L"A",
        RegTree::Classed(L"ClassA").Dword(L"a", 1).Sub(
            L"B",
            RegTree {}.Dword(L"b", 2).Sub(
                L"C", RegTree::Classed(std::wstring(kLongestName, L'c')).Value(L"Zero", REG_BINARY, {}))));
    return tree;
}

// Six levels below the top, two subkeys per key, 1,000 values spread over them.
RegTree DeepTree()
{
    constexpr int kLevels = 6;
    constexpr int kValues = 1000;
    std::function<RegTree(int)> make = [&](int level) {
        RegTree tree = RegTree::Classed(L"Level" + std::to_wstring(level));
        if (level < kLevels)
            tree.Sub(L"K0", make(level + 1)).Sub(L"K1", make(level + 1));
        return tree;
    };
    RegTree top = make(0);
    top.keyClass.clear();
    std::vector<RegTree *> keys;
    std::function<void(RegTree &)> collect = [&](RegTree &t) {
        keys.push_back(&t);
        for (auto &entry : t.subkeys)
            collect(entry.second);
    };
    collect(top);
    for (int i = 0; i < kValues; ++i) {
        RegTree &key = *keys[i % keys.size()];
        std::wstring name = L"V" + std::to_wstring(i);
        switch (i % 3) {
        case 0:
            key.Dword(name, i);
            break;
        case 1:
            key.Text(name, L"text " + std::to_wstring(i));
            break;
        default:
            key.Value(name, REG_BINARY, Pattern(i % 50));
            break;
        }
    }
    return top;
}

class ProvKeepTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_ = LoadLibraryA("ProvKeep.dll");
        ASSERT_NE(nullptr, module_);
        backup_ = reinterpret_cast<Entry>(GetProcAddress(module_, "ProvKeepBackup"));
        restore_ = reinterpret_cast<Entry>(GetProcAddress(module_, "ProvKeepRestore"));
        ASSERT_NE(nullptr, backup_);
        ASSERT_NE(nullptr, restore_);
        ASSERT_TRUE(capture_.Installed());

        // The first missing key on the way to the providers key, if any:
        // everything from there down is the tests' own and goes afterwards.
        for (size_t end = 0; end != std::wstring::npos;) {
            end = kProvidersPath.find(L'\\', end + 1);
            const std::wstring path = kProvidersPath.substr(0, end);
            if (!KeyExists(HKEY_LOCAL_MACHINE, path)) {
                createdFrom_ = path;
                break;
            }
        }
        machineProvider_ = ReadTree(HKEY_LOCAL_MACHINE, kProviderPath);
        machineSaved_ = ReadTree(HKEY_USERS, kProviderName);
        DeleteTree(HKEY_LOCAL_MACHINE, kProviderPath);
        DeleteTree(HKEY_USERS, kProviderName);
        DeleteTree(HKEY_CURRENT_USER, kScratchPath);
        ASSERT_EQ(ERROR_SUCCESS, WriteTree(HKEY_LOCAL_MACHINE, kProvidersPath, RegTree {}));
    }

    void TearDown() override
    {
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        RegOverridePredefKey(HKEY_USERS, nullptr);
        DeleteTree(HKEY_LOCAL_MACHINE, kProviderPath);
        DeleteTree(HKEY_USERS, kProviderName);
        DeleteTree(HKEY_CURRENT_USER, kScratchPath);
        if (machineProvider_) {
            EXPECT_EQ(ERROR_SUCCESS, WriteTree(HKEY_LOCAL_MACHINE, kProviderPath, *machineProvider_));
        }
        if (machineSaved_) {
            EXPECT_EQ(ERROR_SUCCESS, WriteTree(HKEY_USERS, kProviderName, *machineSaved_));
        }
        if (!createdFrom_.empty())
            DeleteTree(HKEY_LOCAL_MACHINE, createdFrom_);
        if (module_ != nullptr)
            FreeLibrary(module_);
    }

    // Runs one export and checks its result and the one box it shows (or none).
    void Run(const Step &step)
    {
        SCOPED_TRACE(step.op == Op::Backup ? "ProvKeepBackup" : "ProvKeepRestore");
        const int result = (step.op == Op::Backup ? backup_ : restore_)();
        EXPECT_EQ(step.result, result);
        std::vector<CapturedBox> boxes = capture_.Take();
        if (step.message == nullptr) {
            EXPECT_EQ(0u, boxes.size()) << "first box: " << (boxes.empty() ? "" : boxes[0].text);
            return;
        }
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(step.message, boxes[0].text);
        EXPECT_EQ("", boxes[0].caption);
        EXPECT_TRUE(boxes[0].okOnly);
        EXPECT_EQ(nullptr, boxes[0].owner);
    }

    void Put(HKEY root, const std::wstring &path, const std::optional<RegTree> &tree)
    {
        if (tree) {
            ASSERT_EQ(ERROR_SUCCESS, WriteTree(root, path, *tree));
        }
    }

    std::optional<RegTree> Provider() { return ReadTree(HKEY_LOCAL_MACHINE, kProviderPath); }
    std::optional<RegTree> Saved() { return ReadTree(HKEY_USERS, kProviderName); }

    HMODULE module_ = nullptr;
    Entry backup_ = nullptr;
    Entry restore_ = nullptr;
    BoxCapture capture_;
    std::wstring createdFrom_;
    std::optional<RegTree> machineProvider_;
    std::optional<RegTree> machineSaved_;
};

TEST_F(ProvKeepTest, BackupMovesEverythingAndRestoreBringsItBack)
{
    const RegTree original = RichTree();
    Put(HKEY_LOCAL_MACHINE, kProviderPath, original);
    ASSERT_EQ("", FirstDifference(original, Provider(), true));

    Run({Op::Backup, ERROR_SUCCESS, nullptr});
    EXPECT_FALSE(Provider().has_value());
    EXPECT_EQ("", FirstDifference(original, Saved(), true));

    Run({Op::Restore, ERROR_SUCCESS, nullptr});
    EXPECT_EQ("", FirstDifference(original, Provider(), true));
    EXPECT_EQ("", FirstDifference(original, Saved(), true)) << "the saved copy stays";
}

TEST_F(ProvKeepTest, TreeSixLevelsDeepWithThousandValuesCopiesCompletely)
{
    const RegTree original = DeepTree();
    ASSERT_EQ(7u, original.Depth());
    ASSERT_EQ(1000u, original.ValueCount());
    Put(HKEY_LOCAL_MACHINE, kProviderPath, original);

    Run({Op::Backup, ERROR_SUCCESS, nullptr});
    EXPECT_FALSE(Provider().has_value());
    EXPECT_EQ("", FirstDifference(original, Saved(), true));

    Run({Op::Restore, ERROR_SUCCESS, nullptr});
    EXPECT_EQ("", FirstDifference(original, Provider(), true));
    EXPECT_EQ("", FirstDifference(original, Saved(), true));
}

TEST_F(ProvKeepTest, CasesWithMessagesAndMerges)
{
    const RegTree full = RichTree();
    const RegTree valuesOnly = RegTree {}.Text(L"Name", L"nwpp32.dll").Value(L"Zero", REG_SZ, {});
    const RegTree subkeysOnly = RegTree {}
                                    .Sub(L"Driver", RegTree::Classed(L"DriverClass").Dword(L"Version", 4))
                                    .Sub(L"Empty", RegTree::Classed(L"EmptyClass"));
    // Restore into a provider key that exists: same names are overwritten,
    // everything else there stays; a key without values changes no values.
    const RegTree existing = RegTree {}
                                 .Text(L"Keep", L"mine")
                                 .Text(L"Shared", L"old")
                                 .Sub(L"Sub", RegTree {}.Text(L"Own", L"stays"));
    const RegTree kept = RegTree {}
                             .Text(L"Shared", L"new")
                             .Sub(L"Sub", RegTree {})
                             .Sub(L"New", RegTree::Classed(L"NewClass").Dword(L"n", 1));
    const RegTree stale = RegTree {}.Text(L"Stale", L"from an earlier backup");

    struct Case {
        const char *name;
        std::optional<RegTree> provider, saved;
        std::vector<Step> steps;
        std::optional<RegTree> providerAfter, savedAfter;
    };
    const Case cases[] = {
        {"backup without a provider key",
         std::nullopt,
         std::nullopt,
         {{Op::Backup, ERROR_SUCCESS, kOpenFailed}},
         std::nullopt,
         RegTree {}},
        {"restore without a saved copy",
         std::nullopt,
         std::nullopt,
         {{Op::Restore, ERROR_SUCCESS, kOpenFailed}},
         RegTree {},
         std::nullopt},
        {"restore after a backup of a missing provider key",
         std::nullopt,
         std::nullopt,
         {{Op::Backup, ERROR_SUCCESS, kOpenFailed}, {Op::Restore, ERROR_SUCCESS, nullptr}},
         RegTree {},
         RegTree {}},
        {"backup twice",
         full,
         std::nullopt,
         {{Op::Backup, ERROR_SUCCESS, nullptr}, {Op::Backup, ERROR_SUCCESS, kOpenFailed}},
         std::nullopt,
         full},
        {"values and no subkeys",
         valuesOnly,
         std::nullopt,
         {{Op::Backup, ERROR_SUCCESS, nullptr}, {Op::Restore, ERROR_SUCCESS, nullptr}},
         valuesOnly,
         valuesOnly},
        {"subkeys and no values",
         subkeysOnly,
         std::nullopt,
         {{Op::Backup, ERROR_SUCCESS, nullptr}, {Op::Restore, ERROR_SUCCESS, nullptr}},
         subkeysOnly,
         subkeysOnly},
        {"restore merges into an existing provider key",
         existing,
         kept,
         {{Op::Restore, ERROR_SUCCESS, nullptr}},
         RegTree(existing).Merge(kept),
         kept},
        {"backup merges into an existing saved copy",
         full,
         stale,
         {{Op::Backup, ERROR_SUCCESS, nullptr}},
         std::nullopt,
         RegTree(stale).Merge(full)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DeleteTree(HKEY_LOCAL_MACHINE, kProviderPath);
        DeleteTree(HKEY_USERS, kProviderName);
        Put(HKEY_LOCAL_MACHINE, kProviderPath, c.provider);
        Put(HKEY_USERS, kProviderName, c.saved);
        for (const Step &step : c.steps)
            Run(step);
        EXPECT_EQ("", FirstDifference(c.providerAfter, Provider()));
        EXPECT_EQ("", FirstDifference(c.savedAfter, Saved()));
    }
}

// A copy that stops midway leaves the provider key registered and whole; a
// restore of the partial saved copy that follows loses nothing either.
TEST_F(ProvKeepTest, CopyFailingMidwayKeepsProviderKey)
{
    const std::wstring tooLong(kLongestName + 1, L'x');
    struct Case {
        const char *name;
        std::function<void(RegTree &)> change; // applied to the rich tree
        std::function<void()> prepare;         // run before the backup
    };
    const Case cases[] = {
        {"value name too long in the provider key", [&](RegTree &t) { t.Text(tooLong, L"unreadable"); },
         [] {}},
        {"value name too long three levels down",
         [&](RegTree &t) { t.subkeys[L"A"].subkeys[L"B"].subkeys[L"C"].Text(tooLong, L"unreadable"); },
         [] {}},
        {"class too long two levels down",
         [&](RegTree &t) { t.subkeys[L"A"].subkeys[L"B"].keyClass = tooLong; }, [] {}},
        {"subkey that cannot be created in the saved copy", [](RegTree &) {},
         [] {
             // A volatile key can hold no lasting subkey: creating A\B fails.
             HKEY saved = nullptr, volatileKey = nullptr;
             ASSERT_EQ(ERROR_SUCCESS,
                       RegCreateKeyExW(HKEY_USERS, kProviderName.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                       nullptr, &saved, nullptr));
             ASSERT_EQ(ERROR_SUCCESS,
                       RegCreateKeyExW(saved, L"A", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                       &volatileKey, nullptr));
             RegCloseKey(volatileKey);
             RegCloseKey(saved);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DeleteTree(HKEY_LOCAL_MACHINE, kProviderPath);
        DeleteTree(HKEY_USERS, kProviderName);
        RegTree original = RichTree();
        c.change(original);
        Put(HKEY_LOCAL_MACHINE, kProviderPath, original);
        ASSERT_EQ("", FirstDifference(original, Provider(), true));
        c.prepare();

        Run({Op::Backup, ERROR_SUCCESS, nullptr});
        EXPECT_EQ("", FirstDifference(original, Provider(), true));
        std::optional<RegTree> partial = Saved();
        ASSERT_TRUE(partial.has_value());
        EXPECT_NE("", FirstDifference(original, partial)) << "the copy did not fail";
        EXPECT_LT(0u, partial->ValueCount()) << "the copy did not start";

        Run({Op::Restore, ERROR_SUCCESS, nullptr});
        EXPECT_EQ("", FirstDifference(original, Provider(), true));
    }
}

TEST_F(ProvKeepTest, ProvidersKeyThatCannotBeOpened)
{
    const RegTree original = RichTree();
    Put(HKEY_LOCAL_MACHINE, kProviderPath, original);
    // The machine key as this process sees it, without a providers key.
    HKEY emptyMachine = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_CURRENT_USER, (kScratchPath + L"\\Machine").c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &emptyMachine, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_LOCAL_MACHINE, emptyMachine));
    Run({Op::Backup, IDOK, kOpenFailed});
    Run({Op::Restore, IDOK, kOpenFailed});
    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr));
    RegCloseKey(emptyMachine);

    EXPECT_EQ("", FirstDifference(original, Provider(), true));
    EXPECT_FALSE(Saved().has_value());
    EXPECT_EQ("", FirstDifference(RegTree {}, ReadTree(HKEY_CURRENT_USER, kScratchPath + L"\\Machine")));
}

TEST_F(ProvKeepTest, KeysThatCannotBeCreated)
{
    const RegTree original = RichTree();
    // Lasting keys cannot be created under a volatile one.
    auto volatileKey = [](const std::wstring &path) {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr));
        return key;
    };
    {
        SCOPED_TRACE("backup: the saved copy");
        Put(HKEY_LOCAL_MACHINE, kProviderPath, original);
        ASSERT_EQ(ERROR_SUCCESS, WriteTree(HKEY_CURRENT_USER, kScratchPath, RegTree {}));
        HKEY users = volatileKey(kScratchPath + L"\\Users");
        ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_USERS, users));
        Run({Op::Backup, ERROR_SUCCESS, kCreateFailed});
        ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_USERS, nullptr));
        RegCloseKey(users);
        EXPECT_EQ("", FirstDifference(original, Provider(), true));
        EXPECT_EQ("", FirstDifference(RegTree {}, ReadTree(HKEY_CURRENT_USER, kScratchPath + L"\\Users")));
    }
    {
        SCOPED_TRACE("restore: the provider key");
        DeleteTree(HKEY_LOCAL_MACHINE, kProviderPath);
        Put(HKEY_USERS, kProviderName, original);
        const std::wstring machine = kScratchPath + L"\\Machine";
        ASSERT_EQ(ERROR_SUCCESS,
                  WriteTree(HKEY_CURRENT_USER, machine + L"\\SYSTEM\\CurrentControlSet\\Control\\Print",
                            RegTree {}));
        HKEY providers = volatileKey(machine + L"\\" + kProvidersPath);
        RegCloseKey(providers);
        HKEY root = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, machine.c_str(), 0, KEY_ALL_ACCESS, &root));
        ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_LOCAL_MACHINE, root));
        Run({Op::Restore, ERROR_SUCCESS, kCreateFailed});
        ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr));
        RegCloseKey(root);
        EXPECT_EQ("", FirstDifference(original, Saved(), true));
        EXPECT_EQ("",
                  FirstDifference(RegTree {}, ReadTree(HKEY_CURRENT_USER, machine + L"\\" + kProvidersPath)));
    }
}

TEST_F(ProvKeepTest, BoxIsOwnedByTheWindowWithTheFocus)
{
    HWND window = CreateWindowExA(0, "STATIC", "installer", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    SetFocus(window);
    ASSERT_EQ(window, GetFocus());

    EXPECT_EQ(ERROR_SUCCESS, backup_());
    std::vector<CapturedBox> boxes = capture_.Take();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(kOpenFailed, boxes[0].text);
    EXPECT_EQ(window, boxes[0].owner);
    DestroyWindow(window);
}

} // namespace
