// Runs qvspool.exe from the test's folder as a user would, with arguments
// and standard input, and collects its exit status and output; and the
// temporary files the tests print.
#pragma once

#include <windows.h>
#include <stdio.h>

#include <string>

#include "process.h"

typedef qvtest::ProgramRun RunResult;

inline RunResult RunQvspool(const std::string &arguments, const std::string &input = "")
{
    return qvtest::RunProgram("qvspool.exe " + arguments, input);
}

// A file of the test's own in the temporary folder, removed at the end.
class TempFile {
public:
    TempFile(const char *name, const std::string &content)
    {
        char folder[MAX_PATH] = "";
        GetTempPathA(sizeof folder, folder);
        path_ = std::string(folder) + name;
        FILE *file = fopen(path_.c_str(), "wb");
        fwrite(content.data(), 1, content.size(), file);
        fclose(file);
    }
    ~TempFile() { DeleteFileA(path_.c_str()); }
    const std::string &path() const { return path_; }

private:
    std::string path_;
};
