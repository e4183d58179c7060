// qvspool's commands over the providers' tables and entry points.
#include "commands.h"

#include <stdlib.h>
#include <string.h>

#include "qvsim.h"

DWORD g_lastJob = 0;

namespace {

const DWORD kPieceSize = 64 * 1024;
const unsigned kProgressMinimum = 1024 * 1024; // smaller files print without a bar
const char kFormFeed = '\f';
const DWORD kWatchPeriod = 1000;
const char kEnvironment[] = "Windows 4.0";

bool IsConsole(FILE *stream)
{
    DWORD mode;
    return GetConsoleMode(GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE), &mode) != 0;
}

const char *Text(const char *text)
{
    return text ? text : "";
}

// Size first, then fill, as the spooler's callers do. call(buffer, size,
// needed) returns the entry's BOOL.
template<typename Call> DWORD QueryBuffer(Call call, std::vector<BYTE> *buffer)
{
    DWORD needed = 0;
    SetLastError(ERROR_SUCCESS);
    if (call(nullptr, 0, &needed)) {
        buffer->assign(1, 0);
        return 0;
    }
    DWORD error = GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER)
        return error ? error : ERROR_GEN_FAILURE;
    buffer->assign(needed, 0);
    SetLastError(ERROR_SUCCESS);
    if (!call(buffer->data(), needed, &needed))
        return GetLastError() ? GetLastError() : ERROR_GEN_FAILURE;
    return 0;
}

std::string JobStatusText(const JOB_INFO_2A &job)
{
    if (job.pStatus && *job.pStatus)
        return job.pStatus;
    static const struct {
        DWORD bit;
        const char *text;
    } kStates[] = {
        {JOB_STATUS_DELETING, "Deleting"}, {JOB_STATUS_ERROR, "Error"},
        {JOB_STATUS_OFFLINE, "Offline"},   {JOB_STATUS_PAPEROUT, "Out of paper"},
        {JOB_STATUS_PAUSED, "Paused"},     {JOB_STATUS_PRINTING, "Printing"},
        {JOB_STATUS_SPOOLING, "Spooling"}, {JOB_STATUS_PRINTED, "Printed"},
    };
    std::string text;
    for (const auto &state : kStates) {
        if (job.Status & state.bit)
            text += (text.empty() ? "" : " - ") + std::string(state.text);
    }
    return text;
}

std::string PrinterStatusText(DWORD status)
{
    static const struct {
        DWORD bit;
        const char *text;
    } kStates[] = {
        {PRINTER_STATUS_PAUSED, "Paused"},   {PRINTER_STATUS_ERROR, "Error"},
        {PRINTER_STATUS_OFFLINE, "Offline"}, {PRINTER_STATUS_PAPER_OUT, "Out of paper"},
        {PRINTER_STATUS_BUSY, "Busy"},       {PRINTER_STATUS_PRINTING, "Printing"},
    };
    std::string text;
    for (const auto &state : kStates) {
        if (status & state.bit)
            text += (text.empty() ? "" : ", ") + std::string(state.text);
    }
    return text.empty() ? "Ready" : text;
}

// A submission time (UTC) as the print-queue window shows it: local time.
std::string StartedAt(const SYSTEMTIME &utc)
{
    if (utc.wYear == 0)
        return "";
    FILETIME universal, local;
    SYSTEMTIME shown;
    if (!SystemTimeToFileTime(&utc, &universal) || !FileTimeToLocalFileTime(&universal, &local)
        || !FileTimeToSystemTime(&local, &shown))
        return "";
    char date[64] = "", time[64] = "";
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &shown, nullptr, time, sizeof time);
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &shown, nullptr, date, sizeof date);
    return std::string(time) + " " + date;
}

std::string Progress(const JOB_INFO_2A &job)
{
    char text[64];
    if (job.TotalPages > 0)
        snprintf(text, sizeof text, "%lu of %lu pages", (unsigned long)job.PagesPrinted,
                 (unsigned long)job.TotalPages);
    else
        snprintf(text, sizeof text, "%lu bytes", (unsigned long)job.Size);
    return text;
}

DWORD ShowQueue(Session &s, const std::string &printer, HANDLE handle)
{
    std::vector<BYTE> buffer;
    DWORD returned = 0;
    DWORD error = QueryBuffer(
        [&](BYTE *data, DWORD size, DWORD *needed) {
            return s.spooler.table().fpEnumJobs(handle, 0, 0xFFFFFFFF, 2, data, size, needed, &returned);
        },
        &buffer);
    if (error)
        return error;
    const JOB_INFO_2A *jobs = reinterpret_cast<const JOB_INFO_2A *>(buffer.data());
    fprintf(s.out, "%s: %lu job%s\n", printer.c_str(), (unsigned long)returned, returned == 1 ? "" : "s");
    fprintf(s.out, "  %-5s %-28s %-12s %-20s %-14s %s\n", "Job", "Document Name", "Status", "Owner",
            "Progress", "Started At");
    for (DWORD i = 0; i < returned; ++i) {
        const JOB_INFO_2A &job = jobs[i];
        fprintf(s.out, "  %-5lu %-28s %-12s %-20s %-14s %s\n", (unsigned long)job.JobId, Text(job.pDocument),
                JobStatusText(job).c_str(), Text(job.pUserName), Progress(job).c_str(),
                StartedAt(job.Submitted).c_str());
    }
    return 0;
}

// Writes one piece, cut at each form feed: EndPagePrinter follows the page's
// last byte. Returns the bytes written.
DWORD WritePiece(Session &s, HANDLE handle, const char *data, DWORD size, DWORD *pages, bool *pageOpen,
                 DWORD *error)
{
    DWORD done = 0;
    while (done < size) {
        const char *feed = static_cast<const char *>(memchr(data + done, kFormFeed, size - done));
        DWORD length = feed ? DWORD(feed - (data + done)) + 1 : size - done;
        DWORD written = 0;
        if (!s.spooler.table().fpWritePrinter(handle, const_cast<char *>(data + done), length, &written)
            || written != length) {
            *error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
            return done + written;
        }
        done += length;
        *pageOpen = true;
        if (feed) {
            s.spooler.table().fpEndPagePrinter(handle);
            ++*pages;
            *pageOpen = false;
        }
    }
    return done;
}

void ShowProgress(FILE *out, unsigned long long done, unsigned long long total)
{
    const int kWidth = 40;
    int filled = total ? int(done * kWidth / total) : kWidth;
    fprintf(out, "\r  [%-*.*s] %3d%%", kWidth, filled, "########################################",
            total ? int(done * 100 / total) : 100);
    fflush(out);
}

DWORD NeedArgs(const Args &args, size_t count, std::string *what)
{
    if (args.size() >= count)
        return 0;
    *what = "usage: see qvspool help";
    return ERROR_INVALID_PARAMETER;
}

} // namespace

SimulatedClock::SimulatedClock(double rate) : rate_(rate), last_(GetTickCount()) { }

void SimulatedClock::sync()
{
    DWORD now = GetTickCount();
    carry_ += double(now - last_) * rate_;
    last_ = now;
    if (carry_ >= 1) {
        DWORD step = carry_ > 4e9 ? 4000000000u : DWORD(carry_);
        SimAdvanceClock(step);
        carry_ -= step;
    }
}

std::string ErrorLine(DWORD error)
{
    char text[512] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                  0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' '))
        text[--length] = '\0';
    for (char *c = text; *c; ++c) {
        if (*c == '\r' || *c == '\n')
            *c = ' ';
    }
    return "error " + std::to_string(error) + ": " + (length ? text : "(no system text)");
}

std::string ResolvePrinter(Session &session, const std::string &name)
{
    if (name.compare(0, 2, "\\\\") == 0)
        return name;
    std::string remote = session.net.findPrinter(name);
    return remote.empty() ? name : remote;
}

DWORD PrintCommand(Session &s, const Args &args, std::string *what)
{
    if (DWORD error = NeedArgs(args, 3, what))
        return error;
    // The document is named as a Windows application names it: by its file
    // name, unless the user gives a name.
    std::string docName = args[2].substr(args[2].find_last_of("\\/:") + 1);
    for (size_t i = 3; i + 1 < args.size(); i += 2) {
        if (args[i] == "--name")
            docName = args[i + 1];
    }
    *what = "print " + args[2];
    HANDLE file = CreateFileA(args[2].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);

    std::string printer = ResolvePrinter(s, args[1]);
    OpenedPrinter opened(s.spooler, printer);
    DWORD error = opened.error();
    if (error) {
        *what = "open " + args[1];
        CloseHandle(file);
        return error;
    }
    DOC_INFO_1A doc = {const_cast<char *>(docName.c_str()), nullptr, const_cast<char *>("RAW")};
    SetLastError(ERROR_SUCCESS);
    DWORD job = s.spooler.table().fpStartDocPrinter(opened.handle(), 1, reinterpret_cast<LPBYTE>(&doc));
    if (job == 0) {
        *what = "StartDocPrinter on " + printer;
        CloseHandle(file);
        return GetLastError() ? GetLastError() : ERROR_GEN_FAILURE;
    }
    bool bar = IsConsole(s.out) && size.QuadPart >= kProgressMinimum;
    std::vector<char> piece(kPieceSize);
    unsigned long long total = 0;
    DWORD pages = 0, got = 0;
    bool pageOpen = false;
    while (!error && ReadFile(file, piece.data(), kPieceSize, &got, nullptr) && got > 0) {
        total += WritePiece(s, opened.handle(), piece.data(), got, &pages, &pageOpen, &error);
        if (bar)
            ShowProgress(s.out, total, size.QuadPart);
    }
    CloseHandle(file);
    if (bar)
        fprintf(s.out, "\n");
    if (error) {
        *what = "WritePrinter to " + printer;
        s.spooler.table().fpAbortPrinter(opened.handle());
        return error;
    }
    if (pageOpen) {
        s.spooler.table().fpEndPagePrinter(opened.handle());
        ++pages;
    }
    SetLastError(ERROR_SUCCESS);
    if (!s.spooler.table().fpEndDocPrinter(opened.handle())) {
        *what = "EndDocPrinter on " + printer;
        return GetLastError() ? GetLastError() : ERROR_GEN_FAILURE;
    }
    g_lastJob = job;
    fprintf(s.out, "printed %s to %s as job %lu: %llu bytes, %lu page%s\n", docName.c_str(), printer.c_str(),
            (unsigned long)job, total, (unsigned long)pages, pages == 1 ? "" : "s");
    return 0;
}

DWORD QueueCommand(Session &s, const Args &args, std::string *what)
{
    if (DWORD error = NeedArgs(args, 2, what))
        return error;
    int refreshes = 1;
    if (args.size() >= 3 && args[2] == "--watch")
        refreshes = args.size() >= 4 ? atoi(args[3].c_str()) : -1; // -1: until interrupted
    std::string printer = ResolvePrinter(s, args[1]);
    *what = "queue " + args[1];
    OpenedPrinter opened(s.spooler, printer);
    if (opened.error())
        return opened.error();
    bool console = IsConsole(s.out);
    for (int shown = 0; refreshes < 0 || shown < refreshes; ++shown) {
        if (shown > 0) {
            Sleep(kWatchPeriod);
            s.clock.sync();
            // In place on a console, like the window; one view after the other elsewhere.
            fprintf(s.out, console ? "\x1b[H\x1b[J" : "\n");
        }
        if (DWORD error = ShowQueue(s, printer, opened.handle()))
            return error;
        fflush(s.out);
    }
    return 0;
}

DWORD PrinterCommand(Session &s, const Args &args, std::string *what)
{
    if (DWORD error = NeedArgs(args, 2, what))
        return error;
    std::string printer = ResolvePrinter(s, args[1]);
    *what = "printer " + args[1];
    OpenedPrinter opened(s.spooler, printer);
    if (opened.error())
        return opened.error();
    std::vector<BYTE> buffer;
    DWORD error = QueryBuffer(
        [&](BYTE *data, DWORD size, DWORD *needed) {
            return s.spooler.table().fpGetPrinter(opened.handle(), 2, data, size, needed);
        },
        &buffer);
    if (error)
        return error;
    const PRINTER_INFO_2A &info = *reinterpret_cast<const PRINTER_INFO_2A *>(buffer.data());
    fprintf(s.out, "%s\n", Text(info.pPrinterName));
    fprintf(s.out, "  Status:    %s\n", PrinterStatusText(info.Status).c_str());
    fprintf(s.out, "  Jobs:      %lu\n", (unsigned long)info.cJobs);
    fprintf(s.out, "  Comment:   %s\n", Text(info.pComment));
    fprintf(s.out, "  Location:  %s\n", Text(info.pLocation));
    fprintf(s.out, "  Driver:    %s\n", Text(info.pDriverName));
    fprintf(s.out, "  Server:    %s\n", Text(info.pServerName));
    return 0;
}

DWORD JobControlCommand(Session &s, const Args &args, std::string *what)
{
    if (DWORD error = NeedArgs(args, 3, what))
        return error;
    static const struct {
        const char *name;
        DWORD command;
        const char *done;
    } kControls[] = {
        {"pause", JOB_CONTROL_PAUSE, "paused"},
        {"resume", JOB_CONTROL_RESUME, "resumed"},
        {"cancel", JOB_CONTROL_CANCEL, "cancelled"},
    };
    *what = args[0] + " " + args[1] + " " + args[2];
    char *end = nullptr;
    unsigned long job = strtoul(args[2].c_str(), &end, 10);
    if (args[2].empty() || *end != '\0' || job == 0)
        return ERROR_INVALID_PARAMETER;
    std::string printer = ResolvePrinter(s, args[1]);
    OpenedPrinter opened(s.spooler, printer);
    if (opened.error())
        return opened.error();
    for (const auto &control : kControls) {
        if (args[0] != control.name)
            continue;
        SetLastError(ERROR_SUCCESS);
        if (!s.spooler.table().fpSetJob(opened.handle(), DWORD(job), 0, nullptr, control.command))
            return GetLastError() ? GetLastError() : ERROR_GEN_FAILURE;
        fprintf(s.out, "job %lu on %s %s\n", job, printer.c_str(), control.done);
        return 0;
    }
    return ERROR_INVALID_FUNCTION;
}

DWORD DriverCommand(Session &s, const Args &args, std::string *what)
{
    if (DWORD error = NeedArgs(args, 2, what))
        return error;
    std::string printer = ResolvePrinter(s, args[1]);
    *what = "driver " + args[1];
    OpenedPrinter opened(s.spooler, printer);
    if (opened.error())
        return opened.error();
    std::vector<BYTE> buffer;
    DWORD error = QueryBuffer(
        [&](BYTE *data, DWORD size, DWORD *needed) {
            return s.spooler.table().fpGetPrinterDriver(opened.handle(), const_cast<char *>(kEnvironment), 3,
                                                        data, size, needed);
        },
        &buffer);
    if (error)
        return error;
    const DRIVER_INFO_3A &info = *reinterpret_cast<const DRIVER_INFO_3A *>(buffer.data());
    fprintf(s.out, "%s\n", printer.c_str());
    fprintf(s.out, "  Driver:       %s (version %lu, %s)\n", Text(info.pName), (unsigned long)info.cVersion,
            Text(info.pEnvironment));
    fprintf(s.out, "  Driver file:  %s\n", Text(info.pDriverPath));
    fprintf(s.out, "  Data file:    %s\n", Text(info.pDataFile));
    fprintf(s.out, "  Config file:  %s\n", Text(info.pConfigFile));
    fprintf(s.out, "  Help file:    %s\n", Text(info.pHelpFile));
    fprintf(s.out, "  Dependent files:");
    for (const char *file = info.pDependentFiles; file && *file; file += strlen(file) + 1)
        fprintf(s.out, " %s", file);
    fprintf(s.out, "\n");
    std::vector<BYTE> directory;
    error = QueryBuffer(
        [&](BYTE *data, DWORD size, DWORD *needed) {
            return s.spooler.table().fpGetPrinterDriverDirectory(
                const_cast<char *>(printer.c_str()), const_cast<char *>(kEnvironment), 1, data, size, needed);
        },
        &directory);
    if (error) {
        *what = "driver directory";
        return error;
    }
    fprintf(s.out, "  Directory:    %s\n", reinterpret_cast<const char *>(directory.data()));
    return 0;
}

DWORD BrowseCommand(Session &s, const Args &args, std::string *what)
{
    std::string path = args.size() >= 2 ? args[1] : "";
    *what = path.empty() ? "browse" : "browse " + path;
    std::vector<NetEntry> entries;
    DWORD status = s.net.walk(path, &entries);
    if (status != WN_SUCCESS)
        return status;
    int base = entries.empty() ? 0 : entries[0].depth;
    for (const NetEntry &entry : entries) {
        int indent = 2 * (entry.depth - base);
        if (entry.container)
            fprintf(s.out, "%*s%-*s %s\n", indent, "", 32 - indent, entry.display.c_str(),
                    entry.remote.c_str());
        else
            fprintf(s.out, "%*s%-*s %-28s  %s\n", indent, "", 32 - indent, entry.display.c_str(),
                    entry.remote.c_str(), entry.path.c_str());
    }
    return 0;
}
