// Running a program of the build with pipes for its standard streams.
#include "process.h"

namespace qvtest {

namespace {

struct Drain {
    HANDLE pipe;
    std::string text;
};

// Reads a pipe to its end on a thread of its own, so that neither stream
// fills up while the program writes to the other.
DWORD WINAPI DrainPipe(LPVOID parameter)
{
    Drain *drain = static_cast<Drain *>(parameter);
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(drain->pipe, buffer, sizeof buffer, &got, nullptr) && got > 0)
        drain->text.append(buffer, got);
    return 0;
}

} // namespace

ProgramRun RunProgram(const std::string &commandLine, const std::string &input, DWORD timeoutMs)
{
    ProgramRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE inRead, inWrite, outRead, outWrite, errRead, errWrite;
    if (!CreatePipe(&inRead, &inWrite, &inherit, 0))
        return run;
    CreatePipe(&outRead, &outWrite, &inherit, 0);
    CreatePipe(&errRead, &errWrite, &inherit, 0);
    // Only the program's ends are inherited.
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    PROCESS_INFORMATION process = {};
    std::string command = commandLine;
    BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                  &process);
    CloseHandle(inRead);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (started) {
        Drain out = {outRead, ""}, err = {errRead, ""};
        HANDLE readers[2] = {CreateThread(nullptr, 0, DrainPipe, &out, 0, nullptr),
                             CreateThread(nullptr, 0, DrainPipe, &err, 0, nullptr)};
        DWORD written = 0;
        if (!input.empty())
            WriteFile(inWrite, input.data(), DWORD(input.size()), &written, nullptr);
        CloseHandle(inWrite);
        inWrite = nullptr;
        if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &run.exitCode);
        else
            TerminateProcess(process.hProcess, STILL_ACTIVE);
        WaitForMultipleObjects(2, readers, TRUE, timeoutMs);
        CloseHandle(readers[0]);
        CloseHandle(readers[1]);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        run.out = out.text;
        run.err = err.text;
    }
    if (inWrite)
        CloseHandle(inWrite);
    CloseHandle(outRead);
    CloseHandle(errRead);
    return run;
}

} // namespace qvtest
