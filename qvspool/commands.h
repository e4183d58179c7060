/*
 * qvspool's commands: what a Windows 95 user does with the Printers folder,
 * the print-queue window and the network browser, each through the
 * providers' own entry points. Each returns 0 or the Win32 error that made it
 * fail, with *what naming the step.
 */
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

#include "netbrowser.h"
#include "spooler.h"

// Simulated time: runs rate times faster than real time, moved forward by
// sync() to now. Rate 0 stops it.
class SimulatedClock {
public:
    explicit SimulatedClock(double rate = 1.0);
    void setRate(double rate) { rate_ = rate; }
    void sync();

private:
    double rate_;
    DWORD last_;
    double carry_ = 0;
};

struct Session {
    Spooler spooler;
    NetBrowser net;
    SimulatedClock clock;
    FILE *out = stdout;
};

typedef std::vector<std::string> Args;

// A printer named as the network browser spells it (\\server.domain\printer)
// or by the display path that browse prints.
std::string ResolvePrinter(Session &session, const std::string &name);

DWORD PrintCommand(Session &s, const Args &args, std::string *what);
DWORD QueueCommand(Session &s, const Args &args, std::string *what);
DWORD PrinterCommand(Session &s, const Args &args, std::string *what);
DWORD JobControlCommand(Session &s, const Args &args, std::string *what);
DWORD DriverCommand(Session &s, const Args &args, std::string *what);
DWORD BrowseCommand(Session &s, const Args &args, std::string *what);

// The error line: the number and the system's text for it.
std::string ErrorLine(DWORD error);

// The job number print gave the last document, for the demo.
extern DWORD g_lastJob;
