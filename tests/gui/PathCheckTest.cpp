// The looks for the editor's targets with thousands of paths: every answer arrives, each once,
// in a message or two rather than one per path (Windows drops posted messages past 10,000 in a
// queue, and marks would then go stale).
#include "toolkit/PathCheck.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

namespace {

constexpr UINT kAnswered = WM_APP + 7;
constexpr std::size_t kPaths = 20'000;
std::atomic<std::size_t> gProbes{0};

// Absent: every path whose last digit is odd.
bool OddAbsent(const std::wstring& path, bool) {
    ++gProbes;
    return (path.back() - L'0') % 2 == 1;
}

TEST(PathCheck, ThousandsOfAnswersComeWholeInAMessageOrTwo) {
    const HWND window =
        CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    std::vector<toolkit::TPathQuery> queries;
    for (std::size_t i = 0; i < kPaths; ++i)
        queries.push_back({"C:\\Suite\\tool" + std::to_string(i), i % 3 == 0});
    const auto answers = toolkit::CheckPathsAsync(window, kAnswered, 42, queries, &OddAbsent);

    // Nothing is taken until every path was looked at: one message waits, however many answers.
    const DWORD start = GetTickCount();
    while (gProbes < kPaths && GetTickCount() - start < 20'000)
        Sleep(5);
    ASSERT_EQ(gProbes, kPaths);
    std::vector<int> seen(kPaths, 0);
    std::size_t taken = 0, messages = 0;
    MSG msg;
    while (taken < kPaths && GetTickCount() - start < 20'000) {
        while (PeekMessageW(&msg, window, kAnswered, kAnswered, PM_REMOVE)) {
            EXPECT_EQ(msg.wParam, 42u);
            ++messages;
        }
        for (const auto& answer : answers->Take()) {
            ASSERT_LT(answer.Index, kPaths);
            ++seen[answer.Index];
            EXPECT_EQ(answer.Absent, answer.Index % 2 == 1) << answer.Index;
            ++taken;
        }
        Sleep(1);
    }
    while (PeekMessageW(&msg, window, kAnswered, kAnswered, PM_REMOVE))
        ++messages;
    EXPECT_EQ(taken, kPaths);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), static_cast<long>(kPaths));
    // The last worker's hand-over may come after the first take: two at most.
    EXPECT_GE(messages, 1u);
    EXPECT_LE(messages, 2u);
    (void)DestroyWindow(window);
}

} // namespace
