// What a job carries besides the document: the user's details from the
// Customization key and the notification profile the printer's key asks for.
#include "print_fixture.h"

#include <algorithm>

namespace {

const char kCustomizationKey[] = "Software\\Tamsell\\Quorvane\\Customization";
const char kEventsSupportedKey[] = "Software\\Tamsell\\Quorvane\\CurrentVersion\\EventsSupported";
const char kPrinterKey[] = ",,srv1.corp,lp1";

void SetValue(HKEY root, const std::string &path, const char *name, DWORD type, const std::string &data)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    ASSERT_EQ(
        ERROR_SUCCESS,
        RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE *>(data.data()), DWORD(data.size())));
    RegCloseKey(key);
}

void SetDword(HKEY root, const std::string &path, const char *name, DWORD value)
{
    SetValue(root, path, name, REG_DWORD, std::string(reinterpret_cast<const char *>(&value), sizeof value));
}

class JobDetailsTest : public PrintTest {
protected:
    void TearDown() override
    {
        events_.reset();
        PrintTest::TearDown();
    }

    // Prints one document to \\srv1.corp\lp1; the print request's attribute lines.
    std::vector<std::string> PrintOne(DWORD *error = nullptr)
    {
        HANDLE printer = nullptr;
        EXPECT_TRUE(Open("\\\\srv1.corp\\lp1", &printer));
        SimJournalClear();
        SetLastError(kPoison);
        DWORD job = StartDoc(printer, "memo");
        if (error)
            *error = job ? 0 : GetLastError();
        if (job) {
            DWORD written = 0;
            EXPECT_TRUE(Write(printer, "text", &written));
            EXPECT_TRUE(EndDoc(printer));
        }
        EXPECT_TRUE(Close(printer));
        return RequestBody(JournalLines(), 11);
    }

    // A family of events under the printer's DefaultEventProfile, and the
    // identifier the machine registered for it (none when shoid is 0).
    void AddFamily(const char *family, DWORD methods, DWORD shoid)
    {
        if (!events_)
            events_.reset(new qvtest::RegistrySandbox(HKEY_LOCAL_MACHINE, {kEventsSupportedKey}));
        SetDword(HKEY_CURRENT_USER, PrinterKey() + "\\DefaultEventProfile\\" + family, "Methods", methods);
        if (shoid)
            SetDword(HKEY_LOCAL_MACHINE, std::string(kEventsSupportedKey) + "\\" + family, "SHOID", shoid);
    }

    static std::string PrinterKey() { return std::string(kUserPrintersRoot) + kPrinterKey; }

    std::unique_ptr<qvtest::RegistrySandbox> events_;
};

std::string Find(const std::vector<std::string> &lines, const std::string &start)
{
    auto it = std::find_if(lines.begin(), lines.end(),
                           [&](const std::string &line) { return line.rfind(start, 0) == 0; });
    return it == lines.end() ? std::string() : *it;
}

// The user's details go first, by attribute name, as text whatever their
// registry type; empty ones and the postal address are not sent.
TEST_F(JobDetailsTest, CustomizationValuesOfAnyTypeComeFirstInTheirOrder)
{
    SetValue(HKEY_CURRENT_USER, kCustomizationKey, "Telephone", REG_MULTI_SZ,
             std::string("555-0100\0x\0\0", 12));
    SetValue(HKEY_CURRENT_USER, kCustomizationKey, "EMail", REG_SZ, std::string("\0", 1));
    SetValue(HKEY_CURRENT_USER, kCustomizationKey, "Department", REG_EXPAND_SZ, std::string("Sales\0", 6));
    SetValue(HKEY_CURRENT_USER, kCustomizationKey, "ChargeNumber", REG_BINARY, "4711"); // no terminator
    SetValue(HKEY_CURRENT_USER, kCustomizationKey, "Address", REG_SZ, std::string("1 Main Street\0", 14));
    SetValue(HKEY_CURRENT_USER, kCustomizationKey, "Name", REG_SZ, std::string("Ann Smith\0", 10));

    std::vector<std::string> print = PrintOne();
    ASSERT_LE(4u, print.size()) << ::testing::PrintToString(print);
    EXPECT_EQ("ATTR 0 \"job-originator\" Text(3,\"Ann Smith\")", print[0]);
    EXPECT_EQ("ATTR 0 \"accounting-information\" Text(3,\"4711\")", print[1]);
    EXPECT_EQ("ATTR 0 \"user-department\" Text(3,\"Sales\")", print[2]);
    EXPECT_EQ("ATTR 0 \"user-telephone-number\" Text(3,\"555-0100\")", print[3]);
    EXPECT_EQ("ATTR 0 1010 Bool(0)", print[4]) << "the job's own attributes follow";
    for (const std::string &line : print) {
        EXPECT_EQ(std::string::npos, line.find("user-email-address")) << line;
        EXPECT_EQ(std::string::npos, line.find("Main Street")) << line;
    }
}

TEST_F(JobDetailsTest, PortAndMailProfilesFollowTheJobsAttributes)
{
    ASSERT_EQ(0, SimLoadNetwork((std::string(kPrintNetwork) + "eventport 71214\n").c_str()));
    AddFamily("Completed", 3, 1001); // both profiles
    AddFamily("Aborted", 1, 1002);   // the port profile only
    AddFamily("PaperOut", 2, 0);     // not registered on this machine: nothing
    SetValue(HKEY_CURRENT_USER, PrinterKey(), "MailAddress", REG_SZ, std::string("ann@corp.example\0", 17));
    SetDword(HKEY_CURRENT_USER, PrinterKey(), "MailType", 2);

    std::vector<std::string> print = PrintOne();
    ASSERT_FALSE(print.empty());
    const std::string profile = print.back();
    EXPECT_EQ(0u, profile.find("ATTR 1 123 EventProfile(")) << profile;
    // The port profile: this machine's first address and the event port's low 16 bits.
    const size_t port = profile.find(",3003,0,DeliveryAddress(0,5,\"");
    ASSERT_NE(std::string::npos, port) << profile;
    EXPECT_NE(std::string::npos, profile.find(":5678\")", port)) << profile; // 71214 & 0xFFFF
    EXPECT_TRUE(profile.find("EventProfile([1001,1002],3003") != std::string::npos
                || profile.find("EventProfile([1002,1001],3003") != std::string::npos)
        << profile;
    EXPECT_NE(std::string::npos,
              profile.find("EventProfile([1001],3002,0,DeliveryAddress(2,1,\"ann@corp.example\")"))
        << profile;
}

TEST_F(JobDetailsTest, AMailKindOtherThanOneOrTwoSendsThePortProfileOnly)
{
    ASSERT_EQ(0, SimLoadNetwork((std::string(kPrintNetwork) + "eventport 5151\n").c_str()));
    AddFamily("Completed", 3, 1001);
    SetValue(HKEY_CURRENT_USER, PrinterKey(), "MailAddress", REG_SZ, std::string("ann@corp.example\0", 17));
    SetDword(HKEY_CURRENT_USER, PrinterKey(), "MailType", 3);

    const std::string profile = PrintOne().back();
    EXPECT_NE(std::string::npos, profile.find("EventProfile([1001],3003,0,DeliveryAddress(0,5,")) << profile;
    EXPECT_EQ(std::string::npos, profile.find("ann@corp.example")) << profile;
}

TEST_F(JobDetailsTest, FamiliesThisMachineDoesNotKnowSendNoProfile)
{
    AddFamily("PaperOut", 3, 0);
    std::vector<std::string> print = PrintOne();
    EXPECT_EQ("", Find(print, "ATTR 1 123")) << ::testing::PrintToString(print);
}

// A port that cannot be had fails the job with -998, which the spooler sees
// as ERROR_INVALID_PARAMETER; nothing stays on the server.
TEST_F(JobDetailsTest, AnEventPortThatCannotBeHadFailsTheJob)
{
    AddFamily("Completed", 1, 1001);
    SimInjectStatus("EVT_GetRegisteredPort", 1, -1);
    DWORD error = 0;
    std::vector<std::string> print = PrintOne(&error);
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), error);
    EXPECT_TRUE(UnfinishedJobs().empty());
}

} // namespace
