// Runs qvspool.exe from the test's folder as a user would, with arguments
// and standard input, and collects its exit status and output.
#pragma once

#include <string>

struct RunResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out; // standard output
    std::string err; // standard error
};

RunResult RunQvspool(const std::string &arguments, const std::string &input = "");
