// The settings logic of qvsetup against Wine's registry, with a scripted
// user in place of the dialog: check states, typed texts, OK, and the
// messages shown, in order.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "registry_guard.h"
#include "resource.h"
#include "settings.h"

using namespace setuptest;
using qvsetup::kNotSpecified;

namespace {

// The registry with single calls made to fail, and a journal of the writes.
class FaultyRegistry : public qvsetup::SettingsRegistry {
public:
    std::set<std::string> failWriteOpen;       // key paths whose KEY_ALL_ACCESS open fails
    std::set<std::string> moreDataOnSizeQuery; // value names
    std::set<std::string> moreDataOnRead;      // value names
    std::map<std::string, LONG> failSet;       // value name -> error
    std::map<std::string, LONG> failDelete;    // value name -> error
    std::vector<std::string> journal;          // opens, sets and deletes, in order
    int openKeys = 0;

    LONG OpenKey(HKEY root, const char *path, REGSAM access, HKEY *key) override
    {
        char line[160];
        snprintf(line, sizeof(line), "open %s 0x%lX", path, static_cast<unsigned long>(access));
        journal.push_back(line);
        EXPECT_EQ(HKEY_LOCAL_MACHINE, root);
        if (access == KEY_ALL_ACCESS && failWriteOpen.count(path))
            return ERROR_ACCESS_DENIED;
        LONG rc = SettingsRegistry::OpenKey(root, path, access, key);
        if (rc == ERROR_SUCCESS)
            ++openKeys;
        return rc;
    }
    LONG QueryValue(HKEY key, const char *name, DWORD *type, BYTE *data, DWORD *size) override
    {
        if (!data && moreDataOnSizeQuery.count(name))
            return ERROR_MORE_DATA;
        if (data && moreDataOnRead.count(name))
            return ERROR_MORE_DATA;
        return SettingsRegistry::QueryValue(key, name, type, data, size);
    }
    LONG SetValue(HKEY key, const char *name, DWORD type, const BYTE *data, DWORD size) override
    {
        journal.push_back(std::string("set ") + name);
        auto f = failSet.find(name);
        if (f != failSet.end())
            return f->second;
        return SettingsRegistry::SetValue(key, name, type, data, size);
    }
    LONG DeleteValue(HKEY key, const char *name) override
    {
        journal.push_back(std::string("delete ") + name);
        auto f = failDelete.find(name);
        if (f != failDelete.end())
            return f->second;
        return SettingsRegistry::DeleteValue(key, name);
    }
    LONG CloseKey(HKEY key) override
    {
        --openKeys;
        return SettingsRegistry::CloseKey(key);
    }

    // The writes only, without the opens.
    std::vector<std::string> Writes() const
    {
        std::vector<std::string> w;
        for (const auto &j : journal)
            if (j.compare(0, 5, "open ") != 0)
                w.push_back(j);
        return w;
    }
};

// The dialog as a user sees it: two check boxes, three edit fields, and
// the message boxes shown, as "text id/caption id".
class ScriptedDialog : public qvsetup::ClientSetupSettings {
public:
    explicit ScriptedDialog(FaultyRegistry &registry) : ClientSetupSettings(registry)
    {
        // The template: boxes unchecked and enabled, fields empty and disabled.
        for (int id : {IDC_NT_CHECK, IDC_UNIX_CHECK}) {
            check[id] = qvsetup::kUnchecked;
            enabled[id] = true;
        }
        for (int id : {IDC_SERVER_ADDRESS_EDIT, IDC_NIS_DOMAIN_EDIT, IDC_SERVER_HOST_EDIT}) {
            field[id] = "";
            enabled[id] = false;
        }
    }

    // The user clicks an automatic check box.
    void Click(int id)
    {
        ASSERT_TRUE(enabled[id]) << "clicked a disabled box " << id;
        check[id] = check[id] == qvsetup::kChecked ? qvsetup::kUnchecked : qvsetup::kChecked;
        if (id == IDC_NT_CHECK)
            NtCheckClicked();
        else
            UnixCheckClicked();
    }
    // The user replaces the text of an edit field.
    void Type(int id, const std::string &text)
    {
        ASSERT_TRUE(enabled[id]) << "typed into a disabled field " << id;
        field[id] = text;
    }
    void PressOK()
    {
        messages.clear();
        ApplySettings();
    }

    std::map<int, int> check;
    std::map<int, bool> enabled;
    std::map<int, std::string> field;
    std::vector<std::string> messages;
    bool closedOK = false;

protected:
    int GetCheckState(int id) override { return check.at(id); }
    void SetCheckState(int id, int state) override { check.at(id) = state; }
    void EnableControl(int id, bool enable) override { enabled.at(id) = enable; }
    void ExchangeTexts(bool save) override
    {
        std::string *texts[][2] = {{&field[IDC_SERVER_ADDRESS_EDIT], &m_strServerAddress},
                                   {&field[IDC_NIS_DOMAIN_EDIT], &m_strNisDomain},
                                   {&field[IDC_SERVER_HOST_EDIT], &m_strServerHost}};
        for (auto &pair : texts) {
            if (save)
                *pair[1] = *pair[0];
            else
                *pair[0] = *pair[1];
        }
    }
    void ShowMessage(UINT textId, UINT captionId) override
    {
        messages.push_back(std::to_string(textId) + "/" + std::to_string(captionId));
    }
    void ShowMessageText(const char *text, const char *caption) override
    {
        messages.push_back(std::string(text) + "/" + caption);
    }
    void CloseWithOK() override { closedOK = true; }
};

using Messages = std::vector<std::string>;
using Journal = std::vector<std::string>;

class SetupSettingsTest : public FixedKeysTest {
protected:
    // Both keys with every value filled in; NT and UNIX in use.
    void FullSettings()
    {
        PutValue(kPgrKey, "ServerAddress", Sz("nshost.example.com"));
        PutValue(kPgrKey, "EnableLocalFile", Dword(0));
        PutValue(kTirpcKey, "nis_domain", Sz("corp.example"));
        PutValue(kTirpcKey, "ypservhost", Sz("nis1.example.com"));
    }
    bool Load()
    {
        bool ok = dlg.LoadSettings();
        registry.journal.clear();
        return ok;
    }
    void TearDown() override
    {
        EXPECT_EQ(0, registry.openKeys) << "a key was left open";
        FixedKeysTest::TearDown();
    }

    FaultyRegistry registry;
    ScriptedDialog dlg {registry};
};

TEST_F(SetupSettingsTest, BothKeysMissingEndsWithMessage1020)
{
    EXPECT_FALSE(dlg.LoadSettings());
    EXPECT_EQ(Messages({"1020/1018"}), dlg.messages);
    EXPECT_FALSE(dlg.m_bUnixKeyOpened);
    EXPECT_FALSE(dlg.m_bPgrKeyOpened);
}

TEST_F(SetupSettingsTest, OneKeyMissingDisablesItsBox)
{
    struct Case {
        const char *name;
        const char *present;
        int disabledBox;
        const char *message;
    } cases[] = {{"tirpc missing", kPgrKey, IDC_UNIX_CHECK, "1021/1018"},
                 {"pgr missing", kTirpcKey, IDC_NT_CHECK, "1022/1018"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RemoveKey(kPgrKey);
        RemoveKey(kTirpcKey);
        CreateKey(c.present);
        if (c.present == kPgrKey) {
            PutValue(kPgrKey, "ServerAddress", Sz("nshost"));
        } else {
            PutValue(kTirpcKey, "nis_domain", Sz("corp"));
            PutValue(kTirpcKey, "ypservhost", Sz("nis1"));
        }
        ScriptedDialog d(registry);
        ASSERT_TRUE(d.LoadSettings());
        EXPECT_EQ(Messages({c.message}), d.messages);
        EXPECT_FALSE(d.enabled[c.disabledBox]);
        EXPECT_EQ(qvsetup::kUnchecked, d.check[c.disabledBox]);
        EXPECT_EQ(c.present == kTirpcKey, d.m_bUnixKeyOpened);
        EXPECT_EQ(c.present == kPgrKey, d.m_bPgrKeyOpened);
        if (c.present == kPgrKey) {
            // The UNIX fields stay empty and disabled.
            EXPECT_EQ("", d.field[IDC_NIS_DOMAIN_EDIT]);
            EXPECT_EQ("", d.field[IDC_SERVER_HOST_EDIT]);
            EXPECT_FALSE(d.enabled[IDC_NIS_DOMAIN_EDIT]);
            EXPECT_FALSE(d.enabled[IDC_SERVER_HOST_EDIT]);
        }
        registry.journal.clear();
        d.PressOK();
        EXPECT_EQ(Messages({"1035/1017"}), d.messages);
        EXPECT_TRUE(d.closedOK);
        EXPECT_EQ(Journal(), registry.Writes());
    }
}

TEST_F(SetupSettingsTest, MissingServerAddressLeavesSwitchUnreadAndCheckingWritesZero)
{
    CreateKey(kTirpcKey);
    PutValue(kPgrKey, "EnableLocalFile", Dword(1)); // not read without an address
    PutValue(kTirpcKey, "nis_domain", Sz("corp"));
    PutValue(kTirpcKey, "ypservhost", Sz("nis1"));
    ASSERT_TRUE(Load());
    EXPECT_EQ(Messages(), dlg.messages);
    EXPECT_EQ(kNotSpecified, dlg.field[IDC_SERVER_ADDRESS_EDIT]);
    EXPECT_EQ(qvsetup::kUnchecked, dlg.check[IDC_NT_CHECK]);
    EXPECT_TRUE(dlg.enabled[IDC_NT_CHECK]);
    EXPECT_FALSE(dlg.enabled[IDC_SERVER_ADDRESS_EDIT]);
    EXPECT_EQ(0, dlg.m_nNtAtStart);

    dlg.Click(IDC_NT_CHECK);
    EXPECT_TRUE(dlg.enabled[IDC_SERVER_ADDRESS_EDIT]);
    dlg.PressOK();
    EXPECT_EQ(Messages({"1029/1032", "1036/1017"}), dlg.messages);
    EXPECT_FALSE(dlg.closedOK);
    EXPECT_EQ(Dword(0), GetValue(kPgrKey, "EnableLocalFile"));
    EXPECT_FALSE(GetValue(kPgrKey, "ServerAddress"));
}

TEST_F(SetupSettingsTest, EnableLocalFileExactlyOneMeansNtUnused)
{
    struct Case {
        const char *name;
        std::optional<RegValue> value;
        bool checked;
    } cases[] = {
        {"absent", std::nullopt, true},
        {"0", Dword(0), true},
        {"1", Dword(1), false},
        {"2", Dword(2), true},
        {"1 as a REG_BINARY of 4 bytes", RegValue {REG_BINARY, {1, 0, 0, 0}}, false},
        {"8 bytes starting with 1", RegValue {REG_BINARY, {1, 0, 0, 0, 0, 0, 0, 0}}, true},
        {"2 bytes", RegValue {REG_BINARY, {1, 0}}, true},
    };
    FullSettings();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RemoveKey(kPgrKey);
        PutValue(kPgrKey, "ServerAddress", Sz("nshost"));
        if (c.value)
            PutValue(kPgrKey, "EnableLocalFile", *c.value);
        ScriptedDialog d(registry);
        ASSERT_TRUE(d.LoadSettings());
        EXPECT_EQ(Messages(), d.messages);
        EXPECT_EQ(c.checked ? qvsetup::kChecked : qvsetup::kUnchecked, d.check[IDC_NT_CHECK]);
        EXPECT_EQ(c.checked, d.enabled[IDC_SERVER_ADDRESS_EDIT]);
        EXPECT_EQ(c.checked ? 1 : 0, d.m_nNtAtStart);
        EXPECT_EQ("nshost", d.field[IDC_SERVER_ADDRESS_EDIT]);
    }
}

TEST_F(SetupSettingsTest, OnlyNisDomainPresentFailsOnServerHost)
{
    PutValue(kPgrKey, "ServerAddress", Sz("nshost"));
    PutValue(kTirpcKey, "nis_domain", Sz("corp"));
    ASSERT_TRUE(Load());
    EXPECT_EQ(qvsetup::kChecked, dlg.check[IDC_UNIX_CHECK]);
    EXPECT_EQ(1, dlg.m_nUnixAtStart);
    EXPECT_EQ("corp", dlg.field[IDC_NIS_DOMAIN_EDIT]);
    EXPECT_EQ(kNotSpecified, dlg.field[IDC_SERVER_HOST_EDIT]);
    EXPECT_TRUE(dlg.enabled[IDC_NIS_DOMAIN_EDIT]);
    EXPECT_TRUE(dlg.enabled[IDC_SERVER_HOST_EDIT]);

    dlg.PressOK();
    EXPECT_EQ(Messages({"1031/1032", "1035/1017"}), dlg.messages);
    EXPECT_FALSE(dlg.closedOK);
    EXPECT_EQ(Journal(), registry.Writes());
}

TEST_F(SetupSettingsTest, SingleNulCountsAsPresentAndEmptyPasses)
{
    PutValue(kPgrKey, "ServerAddress", RegValue {REG_SZ, {0}});
    PutValue(kTirpcKey, "ypservhost", RegValue {REG_SZ, {0}});
    PutValue(kTirpcKey, "nis_domain", Sz("corp"));
    ASSERT_TRUE(Load());
    EXPECT_EQ(qvsetup::kChecked, dlg.check[IDC_NT_CHECK]);
    EXPECT_EQ(qvsetup::kChecked, dlg.check[IDC_UNIX_CHECK]);
    EXPECT_EQ("", dlg.field[IDC_SERVER_ADDRESS_EDIT]);
    EXPECT_EQ("", dlg.field[IDC_SERVER_HOST_EDIT]);
    dlg.PressOK();
    EXPECT_EQ(Messages({"1035/1017"}), dlg.messages);
    EXPECT_TRUE(dlg.closedOK);
}

TEST_F(SetupSettingsTest, TextEndsAtFirstNulAndNeverPastTheData)
{
    // Data without a terminating NUL, and data with text after a NUL.
    PutValue(kPgrKey, "ServerAddress", RegValue {REG_SZ, {'n', 's', 'h'}});
    PutValue(kTirpcKey, "nis_domain", RegValue {REG_SZ, {'c', 'o', 0, 'x', 'y', 0}});
    PutValue(kTirpcKey, "ypservhost", Sz("nis1"));
    ASSERT_TRUE(Load());
    EXPECT_EQ("nsh", dlg.field[IDC_SERVER_ADDRESS_EDIT]);
    EXPECT_EQ("co", dlg.field[IDC_NIS_DOMAIN_EDIT]);
}

TEST_F(SetupSettingsTest, NothingChangedClosesWithMessage1035Only)
{
    FullSettings();
    ASSERT_TRUE(Load());
    dlg.PressOK();
    EXPECT_EQ(Messages({"1035/1017"}), dlg.messages);
    EXPECT_TRUE(dlg.closedOK);
    EXPECT_EQ(Journal(), registry.journal);
}

TEST_F(SetupSettingsTest, ChangeOfCaseRewritesTheValue)
{
    FullSettings();
    ASSERT_TRUE(Load());
    dlg.Type(IDC_SERVER_ADDRESS_EDIT, "NSHOST.example.com");
    dlg.PressOK();
    EXPECT_EQ(Messages({"1036/1017"}), dlg.messages);
    EXPECT_TRUE(dlg.closedOK);
    EXPECT_EQ(Journal({"open SOFTWARE\\Tamsell\\Quorvane\\pgr 0xF003F", "set ServerAddress"}),
              registry.journal);
    EXPECT_EQ(Sz("NSHOST.example.com"), GetValue(kPgrKey, "ServerAddress"));
    // The at-start copy keeps what was read.
    EXPECT_EQ("nshost.example.com", dlg.m_strServerAddressAtStart);
}

TEST_F(SetupSettingsTest, UncheckingUnixAfterEditingDeletesThenWritesBoth)
{
    FullSettings();
    ASSERT_TRUE(Load());
    dlg.Type(IDC_NIS_DOMAIN_EDIT, "lab.example");
    dlg.Click(IDC_UNIX_CHECK);
    EXPECT_FALSE(dlg.enabled[IDC_NIS_DOMAIN_EDIT]);
    EXPECT_FALSE(dlg.enabled[IDC_SERVER_HOST_EDIT]);
    EXPECT_EQ("lab.example", dlg.field[IDC_NIS_DOMAIN_EDIT]); // a disabled field keeps its text
    dlg.PressOK();
    EXPECT_EQ(Messages({"1036/1017"}), dlg.messages);
    EXPECT_TRUE(dlg.closedOK);
    EXPECT_EQ(Journal({"delete nis_domain", "delete ypservhost", "set ypservhost", "set nis_domain"}),
              registry.Writes());
    EXPECT_EQ(Sz("lab.example"), GetValue(kTirpcKey, "nis_domain"));
    EXPECT_EQ(Sz("nis1.example.com"), GetValue(kTirpcKey, "ypservhost"));
}

TEST_F(SetupSettingsTest, NtFieldEditedThenUncheckedWritesBoth)
{
    FullSettings();
    ASSERT_TRUE(Load());
    dlg.Type(IDC_SERVER_ADDRESS_EDIT, "ns2.example.com");
    dlg.Click(IDC_NT_CHECK);
    EXPECT_FALSE(dlg.enabled[IDC_SERVER_ADDRESS_EDIT]);
    dlg.PressOK();
    EXPECT_EQ(Messages({"1036/1017"}), dlg.messages);
    EXPECT_TRUE(dlg.closedOK);
    EXPECT_EQ(Journal({"set EnableLocalFile", "set ServerAddress"}), registry.Writes());
    EXPECT_EQ(Dword(1), GetValue(kPgrKey, "EnableLocalFile"));
    EXPECT_EQ(Sz("ns2.example.com"), GetValue(kPgrKey, "ServerAddress"));
}

TEST_F(SetupSettingsTest, UnixNewlyCheckedWithOneFieldTypedWritesBothAndStaysOpen)
{
    PutValue(kPgrKey, "ServerAddress", Sz("nshost"));
    CreateKey(kTirpcKey);
    ASSERT_TRUE(Load());
    EXPECT_EQ(qvsetup::kUnchecked, dlg.check[IDC_UNIX_CHECK]);
    EXPECT_EQ(0, dlg.m_nUnixAtStart);
    dlg.Click(IDC_UNIX_CHECK);
    dlg.Type(IDC_NIS_DOMAIN_EDIT, "corp");
    dlg.PressOK();
    EXPECT_EQ(Messages({"1031/1032", "1036/1017"}), dlg.messages);
    EXPECT_FALSE(dlg.closedOK);
    EXPECT_EQ(Journal({"set ypservhost", "set nis_domain"}), registry.Writes());
    EXPECT_EQ(Sz("corp"), GetValue(kTirpcKey, "nis_domain"));
    EXPECT_EQ(Sz(kNotSpecified), GetValue(kTirpcKey, "ypservhost"));
}

TEST_F(SetupSettingsTest, SecondOKAfterFailedValidationRepeatsAgainstStartState)
{
    // NT off at start (no address), UNIX on at start.
    PutValue(kTirpcKey, "nis_domain", Sz("corp"));
    PutValue(kTirpcKey, "ypservhost", Sz("nis1"));
    CreateKey(kPgrKey);
    ASSERT_TRUE(Load());
    dlg.Click(IDC_NT_CHECK);
    dlg.Click(IDC_UNIX_CHECK);

    dlg.PressOK();
    EXPECT_EQ(Messages({"1029/1032", "1036/1017"}), dlg.messages);
    EXPECT_FALSE(dlg.closedOK);
    EXPECT_EQ(Journal({"set EnableLocalFile", "delete nis_domain", "delete ypservhost"}), registry.Writes());
    EXPECT_FALSE(GetValue(kTirpcKey, "nis_domain"));

    // The second OK repeats the switch and the deletion; values already gone
    // count as deleted, so no deletion error is shown.
    registry.journal.clear();
    dlg.PressOK();
    EXPECT_EQ(Messages({"1029/1032", "1036/1017"}), dlg.messages);
    EXPECT_FALSE(dlg.closedOK);
    EXPECT_EQ(Journal({"set EnableLocalFile", "delete nis_domain", "delete ypservhost"}), registry.Writes());

    registry.journal.clear();
    dlg.Type(IDC_SERVER_ADDRESS_EDIT, "nshost");
    dlg.PressOK();
    EXPECT_EQ(Messages({"1036/1017"}), dlg.messages);
    EXPECT_TRUE(dlg.closedOK);
    EXPECT_EQ(Journal({"set EnableLocalFile", "delete nis_domain", "delete ypservhost", "set ServerAddress"}),
              registry.Writes());
    EXPECT_EQ(Sz("nshost"), GetValue(kPgrKey, "ServerAddress"));
    EXPECT_EQ(Dword(0), GetValue(kPgrKey, "EnableLocalFile"));
    EXPECT_EQ(0, dlg.m_nNtAtStart);
    EXPECT_EQ(1, dlg.m_nUnixAtStart);
}

TEST_F(SetupSettingsTest, MoreDataWhileReadingEndsWithMessage1016)
{
    struct Case {
        const char *value;
        bool onRead; // the value grew between the size query and the read
    } cases[] = {{"ypservhost", false},
                 {"nis_domain", false},
                 {"ServerAddress", false},
                 {"ypservhost", true},
                 {"ServerAddress", true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.value) + (c.onRead ? " on read" : " on size query"));
        FullSettings();
        FaultyRegistry reg;
        (c.onRead ? reg.moreDataOnRead : reg.moreDataOnSizeQuery).insert(c.value);
        ScriptedDialog d(reg);
        EXPECT_FALSE(d.LoadSettings());
        EXPECT_EQ(Messages({"1016/1018"}), d.messages);
        EXPECT_EQ(0, reg.openKeys);
    }
}

TEST_F(SetupSettingsTest, KeysAreOpenedWithTheirAccessMasks)
{
    FullSettings();
    dlg.LoadSettings();
    EXPECT_EQ(Journal({"open SOFTWARE\\tirpc 0x2001F", "open SOFTWARE\\Tamsell\\Quorvane\\pgr 0x2001F"}),
              registry.journal);
    registry.journal.clear();
    dlg.Type(IDC_SERVER_ADDRESS_EDIT, "x");
    dlg.Click(IDC_NT_CHECK);
    dlg.Click(IDC_UNIX_CHECK);
    dlg.PressOK();
    EXPECT_EQ(Journal({"open SOFTWARE\\Tamsell\\Quorvane\\pgr 0xF003F", "set EnableLocalFile",
                       "open SOFTWARE\\tirpc 0xF003F", "delete nis_domain", "delete ypservhost",
                       "open SOFTWARE\\Tamsell\\Quorvane\\pgr 0xF003F", "set ServerAddress"}),
              registry.journal);
}

TEST_F(SetupSettingsTest, WriteFailuresShowTheirMessagesAndTheHandlerGoesOn)
{
    struct Case {
        const char *name;
        std::set<std::string> failOpen;
        std::map<std::string, LONG> failSet;
        std::map<std::string, LONG> failDelete;
        Messages messages;
    } cases[] = {
        {"pgr key", {kPgrKey}, {}, {}, {"1023/1018", "1033/1018", "1036/1017"}},
        {"tirpc key", {kTirpcKey}, {}, {}, {"1024/1018", "1034/1018", "1036/1017"}},
        {"switch",
         {},
         {{"EnableLocalFile", ERROR_ACCESS_DENIED}},
         {},
         {"Unable to modify EnableLocalFile/ERROR", "1036/1017"}},
        {"address", {}, {{"ServerAddress", ERROR_ACCESS_DENIED}}, {}, {"1033/1018", "1036/1017"}},
        {"server host", {}, {{"ypservhost", ERROR_ACCESS_DENIED}}, {}, {"1034/1018", "1036/1017"}},
        {"deletes",
         {},
         {},
         {{"nis_domain", ERROR_ACCESS_DENIED}, {"ypservhost", ERROR_ACCESS_DENIED}},
         {"1026/1018", "1027/1018", "1036/1017"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RemoveKey(kPgrKey);
        RemoveKey(kTirpcKey);
        FullSettings();
        FaultyRegistry reg;
        ScriptedDialog d(reg);
        ASSERT_TRUE(d.LoadSettings());
        reg.failWriteOpen = c.failOpen;
        reg.failSet = c.failSet;
        reg.failDelete = c.failDelete;
        // NT switched off, UNIX switched off, and every text edited.
        d.Type(IDC_SERVER_ADDRESS_EDIT, "ns2");
        d.Type(IDC_NIS_DOMAIN_EDIT, "lab");
        d.Type(IDC_SERVER_HOST_EDIT, "nis2");
        d.Click(IDC_NT_CHECK);
        d.Click(IDC_UNIX_CHECK);
        d.PressOK();
        EXPECT_EQ(c.messages, d.messages);
        EXPECT_TRUE(d.closedOK);
        EXPECT_EQ(0, reg.openKeys);
    }
}

// Only an opened key counts as touching the registry: a switch or deletion
// whose key cannot be opened leaves "no changes" to be said, while a failed
// set or delete after a successful open does not.
TEST_F(SetupSettingsTest, FailedOpenLeavesRegistryUntouchedFailedWriteDoesNot)
{
    struct Case {
        const char *name;
        int box; // the section switched off
        std::set<std::string> failOpen;
        std::map<std::string, LONG> failSet;
        std::map<std::string, LONG> failDelete;
        Messages messages;
    } cases[] = {
        {"pgr key not opened", IDC_NT_CHECK, {kPgrKey}, {}, {}, {"1023/1018", "1035/1017"}},
        {"tirpc key not opened", IDC_UNIX_CHECK, {kTirpcKey}, {}, {}, {"1024/1018", "1035/1017"}},
        {"switch not set",
         IDC_NT_CHECK,
         {},
         {{"EnableLocalFile", ERROR_ACCESS_DENIED}},
         {},
         {"Unable to modify EnableLocalFile/ERROR", "1036/1017"}},
        {"values not deleted",
         IDC_UNIX_CHECK,
         {},
         {},
         {{"nis_domain", ERROR_ACCESS_DENIED}, {"ypservhost", ERROR_ACCESS_DENIED}},
         {"1026/1018", "1027/1018", "1036/1017"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RemoveKey(kPgrKey);
        RemoveKey(kTirpcKey);
        FullSettings();
        FaultyRegistry reg;
        ScriptedDialog d(reg);
        ASSERT_TRUE(d.LoadSettings());
        reg.failWriteOpen = c.failOpen;
        reg.failSet = c.failSet;
        reg.failDelete = c.failDelete;
        d.Click(c.box);
        d.PressOK();
        EXPECT_EQ(c.messages, d.messages);
        EXPECT_TRUE(d.closedOK);
        EXPECT_EQ(0, reg.openKeys);
    }
}

} // namespace
