/*
 * qvspool: plays the Windows 95 spooler toward qvprov.dll and the router
 * toward qvnetprov.dll, so that one program does what a Windows 95 user does
 * with the Printers folder, the print-queue window and the network browser,
 * on a simulated Quorvane network.
 *
 *   qvspool [--network FILE] [--clock-rate N] COMMAND [ARGS]
 *
 * It loads the providers as their hosts do and then calls only their
 * entry points; of the simulator it uses only the choice of network and the
 * passing of simulated time.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <sstream>

#include "commands.h"
#include "qvsim.h"

namespace {

const char kProviderName[] = "Quorvane Network";

const char kUsage[]
    = "usage: qvspool [--network FILE] [--clock-rate N] COMMAND [ARGS]\n"
      "  print PRINTER FILE [--name NAME]   print a file\n"
      "  queue PRINTER [--watch [N]]        the printer's jobs (refreshed N times, or until Ctrl+C)\n"
      "  printer PRINTER                    the printer's status\n"
      "  pause|resume|cancel PRINTER JOB    control a job\n"
      "  driver PRINTER                     the printer's driver and its directory\n"
      "  browse [PATH]                      the network tree, or the part below PATH\n"
      "  shell                              read commands, one a line\n"
      "  demo                               a tour of all of the above\n"
      "PRINTER is a name such as \\\\srv1.corp\\lp1 or a path that browse prints.\n";

typedef DWORD (*Command)(Session &, const Args &, std::string *);

Command Find(const std::string &name)
{
    static const struct {
        const char *name;
        Command command;
    } kCommands[] = {
        {"print", PrintCommand},      {"queue", QueueCommand},       {"printer", PrinterCommand},
        {"pause", JobControlCommand}, {"resume", JobControlCommand}, {"cancel", JobControlCommand},
        {"driver", DriverCommand},    {"browse", BrowseCommand},
    };
    for (const auto &entry : kCommands) {
        if (name == entry.name)
            return entry.command;
    }
    return nullptr;
}

// Runs one command; prints its error line on failure. 0, 1 (failed) or 2 (usage).
int Run(Session &session, const Args &args)
{
    Command command = args.empty() ? nullptr : Find(args[0]);
    if (!command) {
        fprintf(stderr, "qvspool: unknown command '%s'\n%s", args.empty() ? "" : args[0].c_str(), kUsage);
        return 2;
    }
    session.clock.sync();
    std::string what;
    DWORD error = command(session, args, &what);
    fflush(session.out);
    if (error == 0)
        return 0;
    if (error == ERROR_INVALID_PARAMETER && what.rfind("usage", 0) == 0) {
        fprintf(stderr, "qvspool: %s: wrong arguments\n%s", args[0].c_str(), kUsage);
        return 2;
    }
    fprintf(stderr, "qvspool: %s: %s\n", what.c_str(), ErrorLine(error).c_str());
    return 1;
}

// Splits a line into words; double quotes keep spaces (and backslashes) in one word.
Args Split(const std::string &line)
{
    Args words;
    std::string word;
    bool quoted = false, inWord = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

int Shell(Session &session)
{
    DWORD mode;
    bool console = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
    int status = 0;
    char line[4096];
    for (;;) {
        if (console) {
            printf("qvspool> ");
            fflush(stdout);
        }
        if (!fgets(line, sizeof line, stdin))
            break;
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        Args args = Split(text);
        if (args.empty() || args[0][0] == '#')
            continue;
        if (args[0] == "exit" || args[0] == "quit")
            break;
        if (args[0] == "shell" || args[0] == "demo") {
            fprintf(stderr, "qvspool: %s cannot run inside the shell\n", args[0].c_str());
            status = 1;
            continue;
        }
        int result = Run(session, args);
        if (result != 0)
            status = 1;
    }
    return status;
}

// A document of three pages, each ending in a form feed, in the temporary folder.
std::string WriteSampleDocument(const char *name, int lines)
{
    char folder[MAX_PATH] = "";
    GetTempPathA(sizeof folder, folder);
    std::string path = std::string(folder) + name;
    FILE *file = fopen(path.c_str(), "wb");
    if (!file)
        return "";
    for (int page = 1; page <= 3; ++page) {
        for (int line = 1; line <= lines; ++line)
            fprintf(file, "Quorvane sample document, page %d, line %d\r\n", page, line);
        fputc('\f', file);
    }
    fclose(file);
    return path;
}

// The scripted tour: browse down to a printer, print to it under the path
// the browser showed, watch, pause, resume and cancel jobs, the printer's
// status and driver. Ends with a summary; 0 when every step succeeded.
int Demo(Session &session)
{
    int steps = 0, failed = 0;
    auto step = [&](const std::string &title, const Args &args) {
        printf("\n== %s ==\n> qvspool", title.c_str());
        for (const std::string &arg : args)
            printf(arg.find(' ') != std::string::npos ? " \"%s\"" : " %s", arg.c_str());
        printf("\n");
        fflush(stdout);
        ++steps;
        if (Run(session, args) != 0)
            ++failed;
    };
    step("The network browser's tree", {"browse"});
    std::vector<NetEntry> tree;
    session.net.walk("", &tree);
    std::string path;
    for (const NetEntry &entry : tree) {
        if (!entry.container) {
            path = entry.path;
            break;
        }
    }
    if (path.empty()) {
        printf("demo: the network shows no printer\n");
        return 1;
    }
    step("One domain, opened by its path", {"browse", path.substr(0, path.rfind('/'))});
    std::string letter = WriteSampleDocument("qvspool-letter.txt", 40);
    std::string report = WriteSampleDocument("qvspool-report.txt", 400);
    step("Print a letter to the first printer, named by its path",
         {"print", path, letter, "--name", "Letter"});
    DWORD letterJob = g_lastJob;
    step("Print a report", {"print", path, report, "--name", "Quarterly report"});
    DWORD reportJob = g_lastJob;
    step("The print queue", {"queue", path});
    step("Pause the letter", {"pause", path, std::to_string(letterJob)});
    step("The queue with the letter paused", {"queue", path});
    step("Resume the letter", {"resume", path, std::to_string(letterJob)});
    step("Cancel the report", {"cancel", path, std::to_string(reportJob)});
    SimAdvanceClock(30000); // let the servers work for half a minute
    step("The queue half a minute later", {"queue", path});
    step("The printer's status", {"printer", path});
    step("The printer's driver", {"driver", path});
    DeleteFileA(letter.c_str());
    DeleteFileA(report.c_str());
    printf("\ndemo: %d steps, %d failed\n", steps, failed);
    return failed == 0 ? 0 : 1;
}

std::string ReadFile(const char *path, bool *ok)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    *ok = bool(in);
    return text.str();
}

} // namespace

int main(int argc, char **argv)
{
    Session session;
    Args args(argv + 1, argv + argc);
    std::string network;
    while (args.size() >= 2 && (args[0] == "--network" || args[0] == "--clock-rate")) {
        if (args[0] == "--network") {
            network = args[1];
        } else {
            char *end = nullptr;
            double rate = strtod(args[1].c_str(), &end);
            if (*end != '\0' || rate < 0) {
                fprintf(stderr, "qvspool: --clock-rate takes a number of 0 or more\n");
                return 2;
            }
            session.clock.setRate(rate);
        }
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty() || args[0] == "help" || args[0] == "--help") {
        printf("%s", kUsage);
        return args.empty() ? 2 : 0;
    }

    if (network.empty()) {
        SimLoadDefaultNetwork();
    } else {
        bool read = false;
        std::string text = ReadFile(network.c_str(), &read);
        int32_t line = read ? SimLoadNetwork(text.c_str()) : 0;
        if (!read || line != 0) {
            fprintf(stderr, "qvspool: --network %s: %s\n", network.c_str(),
                    read ? ("line " + std::to_string(-line) + " cannot be read").c_str()
                         : ErrorLine(ERROR_FILE_NOT_FOUND).c_str());
            return 1;
        }
    }
    if (DWORD error = session.net.load(kProviderName)) {
        fprintf(stderr, "qvspool: loading qvnetprov.dll: %s\n", ErrorLine(error).c_str());
        return 1;
    }
    if (DWORD error = session.spooler.load()) {
        fprintf(stderr, "qvspool: loading qvprov.dll: %s\n", ErrorLine(error).c_str());
        return 1;
    }

    if (args[0] == "shell")
        return Shell(session);
    if (args[0] == "demo")
        return Demo(session);
    return Run(session, args);
}
