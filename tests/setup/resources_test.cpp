// The resources built into qvsetup.exe: every string-table text, both
// dialog templates control by control, and the two icons.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resource.h"

namespace {

class SetupResourcesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_module = LoadLibraryExA("qvsetup.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, m_module) << GetLastError();
    }
    void TearDown() override
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    HMODULE m_module = nullptr;
};

TEST_F(SetupResourcesTest, StringTableHoldsEveryTextExactly)
{
    const struct {
        UINT id;
        const char *text;
    } strings[] = {
        {1, "OK"},
        {2, "Cancel"},
        {100, "About Quorvane Client Setup"},
        {101, "&About Quorvane Client Setup"},
        {102, "Tamsell Quorvane Client Setup"},
        {1000, "Print to NT Quorvane Servers"},
        {1001, "Print to UNIX Quorvane Servers"},
        {1011, "Windows"},
        {1012, "UNIX"},
        {1013, "Quorvane Name Service host name:"},
        {1014, "UNIX NIS Domain:"},
        {1015, "Server host name:"},
        {1016, "ERROR - truncated buffer while querying the data."},
        {1017, "Quorvane Client Setup"},
        {1018, "ERROR"},
        {1020, "ERROR - You do not have permission to edit the keys."},
        {1021,
         "ERROR -- Either the UNIX Registry keys were not found or you do not have "
         "read\\write permissions."},
        {1022,
         "ERROR -- Either theNT Registry keys were not found or you do not have "
         "read\\write permissions."},
        {1023, "ERROR -- Unable to open registry key."},
        {1024, "ERROR -- Unable to open UNIX registry keys."},
        {1026, "Error deleting domain key."},
        {1027, "Error deleting server host name key."},
        {1029, "Please enter a value for the Quorvane Name Service."},
        {1030, "Please enter a value for the NIS Domain."},
        {1031, "Please enter a value for the Server Host name."},
        {1032, "ERROR - Value not specified"},
        {1033, "ERROR -- Unable to modify Quorvane name service key."},
        {1034, "ERROR -- Unable to modify UNIX registry keys."},
        {1035, "No changes were made to the registry."},
        {1036, "In order for your changes to be processed you need to reboot the machine."},
        {1037, "Client Setup"},
    };
    for (const auto &s : strings) {
        SCOPED_TRACE(s.id);
        char buf[512];
        memset(buf, '#', sizeof(buf));
        int n = LoadStringA(m_module, s.id, buf, sizeof(buf));
        EXPECT_EQ(std::string(s.text), std::string(buf, n > 0 ? n : 0));
    }
    // The About box's five notice lines exist.
    for (UINT id = IDC_NOTICE1_STATIC; id <= IDC_NOTICE5_STATIC; ++id) {
        char buf[256];
        EXPECT_GT(LoadStringA(m_module, id, buf, sizeof(buf)), 0) << id;
    }
}

// A dialog template as the dialog manager reads it.
struct Item {
    DWORD id;
    std::string cls; // upper case: "BUTTON", "EDIT", "STATIC"
    DWORD style;
    short x, y, cx, cy;
    std::string text; // "#n" for an ordinal (an icon's resource)
};
struct Template {
    bool extended = false;
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string title;
    WORD pointSize = 0;
    std::string face;
    std::vector<Item> items;
};

class Reader {
public:
    explicit Reader(const BYTE *p) : m_base(p), m_p(p) { }
    WORD Word()
    {
        WORD w;
        memcpy(&w, m_p, 2);
        m_p += 2;
        return w;
    }
    DWORD Dword()
    {
        DWORD d;
        memcpy(&d, m_p, 4);
        m_p += 4;
        return d;
    }
    short Short() { return static_cast<short>(Word()); }
    void Byte() { ++m_p; }
    void AlignDword() { m_p = m_base + ((m_p - m_base + 3) & ~3); }
    std::string SzOrOrd()
    {
        WORD first = Word();
        if (first == 0)
            return "";
        if (first == 0xFFFF)
            return "#" + std::to_string(Word());
        std::string s(1, static_cast<char>(first));
        for (WORD c; (c = Word()) != 0;)
            s += static_cast<char>(c);
        return s;
    }
    void Skip(size_t n) { m_p += n; }

private:
    const BYTE *m_base;
    const BYTE *m_p;
};

// Class names compare without case, as the dialog manager's do; the
// predefined classes may also be given by ordinal.
std::string ClassName(const std::string &raw)
{
    if (raw == "#128")
        return "BUTTON";
    if (raw == "#129")
        return "EDIT";
    if (raw == "#130")
        return "STATIC";
    std::string upper = raw;
    for (char &c : upper)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return upper;
}

Template ReadTemplate(HMODULE module, UINT id)
{
    Template t;
    HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    EXPECT_NE(nullptr, res);
    if (!res)
        return t;
    Reader r(static_cast<const BYTE *>(LockResource(LoadResource(module, res))));
    WORD count;
    WORD first = r.Word();
    WORD second = r.Word();
    if (first == 1 && second == 0xFFFF) {
        t.extended = true;
        r.Dword(); // help id
        t.exStyle = r.Dword();
        t.style = r.Dword();
    } else {
        t.style = MAKELONG(first, second);
        t.exStyle = r.Dword();
    }
    count = r.Word();
    t.x = r.Short(), t.y = r.Short(), t.cx = r.Short(), t.cy = r.Short();
    r.SzOrOrd(); // menu
    r.SzOrOrd(); // class
    t.title = r.SzOrOrd();
    if (t.style & DS_SETFONT) {
        t.pointSize = r.Word();
        if (t.extended) {
            r.Word(); // weight
            r.Byte(); // italic
            r.Byte(); // character set
        }
        t.face = r.SzOrOrd();
    }
    for (WORD i = 0; i < count; ++i) {
        r.AlignDword();
        Item it;
        if (t.extended) {
            r.Dword(); // help id
            r.Dword(); // extended style
            it.style = r.Dword();
        } else {
            it.style = r.Dword();
            r.Dword(); // extended style
        }
        it.x = r.Short(), it.y = r.Short(), it.cx = r.Short(), it.cy = r.Short();
        it.id = t.extended ? r.Dword() : r.Word();
        it.cls = ClassName(r.SzOrOrd());
        it.text = r.SzOrOrd();
        r.Skip(r.Word()); // creation data
        t.items.push_back(it);
    }
    return t;
}

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kDialogStyle = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;

void ExpectItems(const std::vector<Item> &want, const std::vector<Item> &got)
{
    ASSERT_EQ(want.size(), got.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(want[i].id));
        EXPECT_EQ(want[i].id, got[i].id);
        EXPECT_EQ(want[i].cls, got[i].cls);
        EXPECT_EQ(want[i].style, got[i].style) << std::hex << got[i].style;
        EXPECT_EQ(want[i].x, got[i].x);
        EXPECT_EQ(want[i].y, got[i].y);
        EXPECT_EQ(want[i].cx, got[i].cx);
        EXPECT_EQ(want[i].cy, got[i].cy);
        EXPECT_EQ(want[i].text, got[i].text);
    }
}

TEST_F(SetupResourcesTest, MainDialogTemplate)
{
    Template t = ReadTemplate(m_module, IDD_CLIENTSETUP_DIALOG);
    EXPECT_EQ(kDialogStyle, t.style);
    EXPECT_EQ(static_cast<DWORD>(WS_EX_APPWINDOW), t.exStyle);
    EXPECT_EQ(211, t.cx);
    EXPECT_EQ(197, t.cy);
    EXPECT_EQ("", t.title);
    EXPECT_EQ(8, t.pointSize);
    EXPECT_EQ("MS Sans Serif", t.face);
    const DWORD edit = kChild | ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_DISABLED;
    const DWORD check = kChild | BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP;
    const DWORD label = kChild | SS_LEFT | WS_GROUP;
    // Template order is the tab order; every text is left to initialisation.
    ExpectItems({{IDOK, "BUTTON", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 30, 175, 50, 14, ""},
                 {IDCANCEL, "BUTTON", kChild | BS_PUSHBUTTON | WS_TABSTOP, 130, 175, 50, 14, ""},
                 {1011, "BUTTON", kChild | BS_GROUPBOX, 7, 7, 197, 59, ""},
                 {1012, "BUTTON", kChild | BS_GROUPBOX, 7, 74, 197, 93, ""},
                 {1000, "BUTTON", check, 13, 22, 162, 10, ""},
                 {1001, "BUTTON", check, 13, 87, 167, 10, ""},
                 {1002, "EDIT", edit, 13, 46, 168, 14, ""},
                 {1013, "STATIC", label, 13, 36, 169, 10, ""},
                 {1003, "EDIT", edit, 13, 113, 168, 14, ""},
                 {1014, "STATIC", label, 13, 103, 169, 10, ""},
                 {1004, "EDIT", edit, 13, 143, 168, 14, ""},
                 {1015, "STATIC", label, 13, 133, 169, 10, ""}},
                t.items);
}

TEST_F(SetupResourcesTest, AboutBoxTemplate)
{
    Template t = ReadTemplate(m_module, IDD_ABOUTBOX);
    EXPECT_EQ(kDialogStyle, t.style);
    EXPECT_EQ(187, t.cx);
    EXPECT_EQ(106, t.cy);
    EXPECT_EQ(8, t.pointSize);
    EXPECT_EQ("MS Sans Serif", t.face);
    ASSERT_EQ(8u, t.items.size());
    const Item &icon = t.items[0];
    EXPECT_EQ("STATIC", icon.cls);
    EXPECT_EQ(static_cast<DWORD>(SS_ICON), icon.style & SS_TYPEMASK);
    EXPECT_EQ("#133", icon.text);
    EXPECT_EQ(5, icon.x);
    EXPECT_EQ(5, icon.y);
    EXPECT_EQ(20, icon.cx);
    EXPECT_EQ(20, icon.cy);
    EXPECT_EQ(static_cast<DWORD>(IDC_TOOL_NAME_STATIC), t.items[1].id);
    EXPECT_EQ(85, t.items[1].x);
    EXPECT_EQ(10, t.items[1].y);
    for (int i = 0; i < 5; ++i) {
        const Item &line = t.items[2 + i];
        EXPECT_EQ(static_cast<DWORD>(IDC_NOTICE1_STATIC + i), line.id);
        EXPECT_EQ("STATIC", line.cls);
        EXPECT_GT(line.y, t.items[1].y); // below the tool's name
    }
    const Item &ok = t.items[7];
    EXPECT_EQ(static_cast<DWORD>(IDOK), ok.id);
    EXPECT_EQ("BUTTON", ok.cls);
    EXPECT_EQ(75, ok.x);
    EXPECT_EQ(85, ok.y);
    EXPECT_EQ(32, ok.cx);
    EXPECT_EQ(14, ok.cy);
}

// Each icon is a group of a 32x32 and a 16x16 image of 16 colours, the
// sizes Windows 95 shows. Read from the resources alone: making an icon
// object would start the desktop, which this test does without a display.
TEST_F(SetupResourcesTest, IconsHoldLargeAndSmallImages)
{
#pragma pack(push, 2)
    struct GroupEntry {
        BYTE width, height, colors, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
#pragma pack(pop)
    for (UINT id : {IDR_MAINFRAME, IDI_ABOUT}) {
        SCOPED_TRACE(id);
        HRSRC group = FindResourceA(m_module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));
        ASSERT_NE(nullptr, group);
        const BYTE *dir = static_cast<const BYTE *>(LockResource(LoadResource(m_module, group)));
        WORD count;
        memcpy(&count, dir + 4, sizeof(count));
        ASSERT_EQ(2, count);
        std::vector<int> sizes;
        for (WORD i = 0; i < count; ++i) {
            GroupEntry e;
            memcpy(&e, dir + 6 + i * sizeof(GroupEntry), sizeof(e));
            sizes.push_back(e.width);
            EXPECT_EQ(e.width, e.height);
            EXPECT_EQ(16, e.colors);
            HRSRC image = FindResourceA(m_module, MAKEINTRESOURCEA(e.id), MAKEINTRESOURCEA(3));
            ASSERT_NE(nullptr, image);
            EXPECT_EQ(e.bytes, SizeofResource(m_module, image));
        }
        EXPECT_EQ(std::vector<int>({32, 16}), sizes);
    }
}

} // namespace
