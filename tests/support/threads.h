// Runs test code on several threads at once and waits for all of them with a
// time-out, so that a deadlock fails the test program instead of hanging the
// run. Win32 threads: the build's thread model has no std::thread.
#pragma once

#include <windows.h>
#include <stdio.h>

#include <functional>
#include <vector>

namespace qvtest {

struct ThreadStart {
    const std::function<void(int)> *body;
    int index;
};

inline DWORD WINAPI ThreadMain(LPVOID arg)
{
    ThreadStart *start = static_cast<ThreadStart *>(arg);
    (*start->body)(start->index);
    return 0;
}

// Runs body(index) on count threads and returns when all have ended. Threads
// still running after timeoutMs mean a deadlock: the program reports it and
// ends with exit status 3 at once, since the stuck threads still use the
// caller's objects and no later test could run sanely.
inline void RunThreads(int count, const std::function<void(int)> &body, DWORD timeoutMs)
{
    std::vector<ThreadStart> starts(count);
    std::vector<HANDLE> threads;
    for (int i = 0; i < count; ++i) {
        starts[i] = {&body, i};
        HANDLE thread = CreateThread(nullptr, 0, ThreadMain, &starts[i], 0, nullptr);
        if (!thread) {
            fprintf(stderr, "RunThreads: CreateThread failed (%lu)\n", GetLastError());
            fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        threads.push_back(thread);
    }
    // WaitForMultipleObjects takes at most 64 handles: wait for each in turn
    // against one deadline.
    DWORD start = GetTickCount();
    for (HANDLE thread : threads) {
        DWORD spent = GetTickCount() - start;
        DWORD left = spent < timeoutMs ? timeoutMs - spent : 0;
        if (WaitForSingleObject(thread, left) != WAIT_OBJECT_0) {
            fprintf(stderr, "RunThreads: threads still running after %lu ms: deadlock\n", timeoutMs);
            fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        CloseHandle(thread);
    }
}

} // namespace qvtest
