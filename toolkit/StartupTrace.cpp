#include "toolkit/StartupTrace.h"

#ifdef TARNWICK_STARTUP_TRACE

#include <windows.h>
#include <psapi.h>

#include <cstdio>

namespace toolkit {

namespace {

struct Mark {
    const char* Step;
    double Ms;
    unsigned long long PrivateKb;
};
Mark marks[32];
int count = 0;

unsigned long long Ticks(const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

} // namespace

void StartupMark(const char* step) {
    if (count == static_cast<int>(sizeof marks / sizeof marks[0]))
        return;
    // Windows 8 on; the coarser clock before.
    using Clock = void(WINAPI*)(LPFILETIME);
    static const auto precise = reinterpret_cast<Clock>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    FILETIME now, created, exited, kernel, user;
    (precise ? precise : &GetSystemTimeAsFileTime)(&now);
    (void)GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    (void)GetProcessMemoryInfo(GetCurrentProcess(),
                               reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
    // Wine leaves PrivateUsage at 0 and gives the same commit charge as PagefileUsage.
    const SIZE_T bytes = pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
    marks[count++] = {step, static_cast<double>(Ticks(now) - Ticks(created)) / 10000.0,
                      static_cast<unsigned long long>(bytes / 1024)};
}

void StartupMarksWrite() {
    char path[MAX_PATH] = "";
    if (GetEnvironmentVariableA("TARNWICK_STARTUP_TRACE_FILE", path, MAX_PATH) == 0)
        return;
    char exe[MAX_PATH] = "";
    (void)GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::FILE* file = std::fopen(path, "a");
    if (!file)
        return;
    for (int i = 0; i < count; ++i)
        std::fprintf(file, "%s\t%s\t%.2f\t%llu\n", exe, marks[i].Step, marks[i].Ms,
                     marks[i].PrivateKb);
    std::fclose(file);
}

} // namespace toolkit

#endif
