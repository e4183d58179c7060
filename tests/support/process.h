// Runs a program of the build (one beside the test) in a process of its own,
// as a user or a host would, with pipes for its standard streams.
#pragma once

#include <windows.h>

#include <string>

namespace qvtest {

struct ProgramRun {
    DWORD exitCode = STILL_ACTIVE; // STILL_ACTIVE: it had not ended in time and was ended
    std::string out;               // standard output
    std::string err;               // standard error
};

// Runs commandLine, writes input to its standard input and closes it, and
// waits up to timeoutMs for the program to end.
ProgramRun RunProgram(const std::string &commandLine, const std::string &input = "", DWORD timeoutMs = 60000);

} // namespace qvtest
