// Marks of the start-up's steps, for a build configured with -DTARNWICK_STARTUP_TRACE=ON
// (scripts/startup-steps.sh): each mark notes the time since the process was created and the
// private memory then, and the last one appends them to the file that the environment variable
// TARNWICK_STARTUP_TRACE_FILE names. In every other build, the shipped one included, a mark is
// nothing at all.
#pragma once

#ifdef TARNWICK_STARTUP_TRACE
namespace toolkit {
void StartupMark(const char* step);
void StartupMarksWrite();
} // namespace toolkit
#define TARNWICK_STARTUP_MARK(step) ::toolkit::StartupMark(step)
#define TARNWICK_STARTUP_WRITE() ::toolkit::StartupMarksWrite()
#else
#define TARNWICK_STARTUP_MARK(step) ((void)0)
#define TARNWICK_STARTUP_WRITE() ((void)0)
#endif
