// Runs qvspool.exe with pipes for its standard streams.
#include <windows.h>

#include "run.h"

namespace {

const DWORD kRunTimeout = 60000;

struct ReadTask {
    HANDLE pipe;
    std::string text;
};

DWORD WINAPI Drain(LPVOID parameter)
{
    ReadTask *task = static_cast<ReadTask *>(parameter);
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(task->pipe, buffer, sizeof buffer, &got, nullptr) && got > 0)
        task->text.append(buffer, got);
    return 0;
}

} // namespace

RunResult RunQvspool(const std::string &arguments, const std::string &input)
{
    RunResult result;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE inRead, inWrite, outRead, outWrite, errRead, errWrite;
    CreatePipe(&inRead, &inWrite, &inherit, 0);
    CreatePipe(&outRead, &outWrite, &inherit, 0);
    CreatePipe(&errRead, &errWrite, &inherit, 0);
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
    std::string command = "qvspool.exe " + arguments;
    BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                  &process);
    CloseHandle(inRead);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (started) {
        ReadTask out = {outRead, ""}, err = {errRead, ""};
        HANDLE readers[2] = {CreateThread(nullptr, 0, Drain, &out, 0, nullptr),
                             CreateThread(nullptr, 0, Drain, &err, 0, nullptr)};
        DWORD written = 0;
        if (!input.empty())
            WriteFile(inWrite, input.data(), DWORD(input.size()), &written, nullptr);
        CloseHandle(inWrite);
        inWrite = nullptr;
        if (WaitForSingleObject(process.hProcess, kRunTimeout) != WAIT_OBJECT_0)
            TerminateProcess(process.hProcess, 0xDEAD);
        WaitForMultipleObjects(2, readers, TRUE, kRunTimeout);
        GetExitCodeProcess(process.hProcess, &result.exitCode);
        CloseHandle(readers[0]);
        CloseHandle(readers[1]);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        result.out = out.text;
        result.err = err.text;
    }
    if (inWrite)
        CloseHandle(inWrite);
    CloseHandle(outRead);
    CloseHandle(errRead);
    return result;
}
