// The real Tarnwick.exe under Wine, started beside damaged settings files: garbage, absurd counts,
// enormous values, missing sections, duplicates, binary bytes, other encodings, an empty file and a
// folder in the file's place. Each time it must come up as on a first run (nothing but the tray
// icon; called up, the input line at 100, 70, 129 x 18 and fully opaque) and must leave the file
// and its folder exactly as they were, also after it has ended.
#include "support/E2e.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace {

using e2e::Folder;
using e2e::Launcher;

constexpr int kExit = 4; // presses of Down in the tray menu

struct Damage {
    const char* Name;
    std::string Content;
    bool AsFolder = false; // a folder named Tarnwick.ini instead of a file
};

// Test names print the case's name, not its bytes.
void PrintTo(const Damage& damage, std::ostream* os) {
    *os << damage.Name;
}

std::string Repeat(char c, std::size_t n) {
    return std::string(n, c);
}

// Bytes of a fixed pseudo-random sequence, the same on every run.
std::string Garbage(std::size_t n, std::uint32_t seed) {
    std::string bytes(n, '\0');
    for (char& b : bytes) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<char>(seed >> 24);
    }
    return bytes;
}

std::string Utf16(const std::string& text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : text) {
        const char pair[2] = {bigEndian ? '\0' : c, bigEndian ? c : '\0'};
        out.append(pair, 2);
    }
    return out;
}

const std::string kReadable = "[DBSYSTEM]\r\nCount=1\r\n[DATABASE]\r\nName0=Notes\r\n"
                              "Filename0=notepad.exe\r\nKeyword0=NOTE\r\n"
                              "[SYSTEM]\r\nLeft=300\r\nTop=200\r\nAlphaBlendValue=100\r\n";

std::vector<Damage> Corpus() {
    using namespace std::string_literals;
    const std::string longValue = Repeat('A', 10000);
    return {
        {"Garbage", Garbage(64 * 1024, 7)},
        {"GarbageBetweenSections", "[SYSTEM]\r\n" + Garbage(4096, 11) + "\r\nLeft=" +
                                       Garbage(300, 12) + "\r\nTop=" + Garbage(300, 13)},
        {"HugeCount", "[DBSYSTEM]\r\nCount=2147483647\r\n[SYSTEM]\r\nLeft=1e3\r\nTop=7O\r\n"},
        {"CountBeyondThirtyTwoBits",
         "[DBSYSTEM]\r\nCount=99999999999999999999\r\n[SYSTEM]\r\nLeft=4294967396\r\n"
         "Top=-2147483649\r\n"},
        {"NegativeCount", "[DBSYSTEM]\r\nCount=-1\r\n[DATABASE]\r\nName0=x\r\nKeyword0=X\r\n"
                          "[SYSTEM]\r\nLeft=-\r\nTop=7 0\r\n"},
        {"MostNegativeCount",
         "[DBSYSTEM]\r\nCount=-2147483648\r\n[SYSTEM]\r\nLeft=$\r\nTop=0x\r\n"},
        {"TenThousandCharacterValues",
         "[DBSYSTEM]\r\nCount=1\r\n[DATABASE]\r\nName0=" + longValue + "\r\nFilename0=" +
             longValue + "\r\nKeyword0=" + longValue + "\r\n" + longValue + "\r\n[" + longValue +
             "]\r\n" + longValue + "=1\r\n[SYSTEM]\r\nLeft=" + Repeat('1', 10000) +
             "\r\nTop=" + Repeat('9', 10000) + "\r\nAlphaBlendValue=" + Repeat('7', 10000) +
             "\r\nhKey=" + Repeat('3', 10000) + "\r\n"},
        {"MissingSections", "Left=300\r\nTop=300\r\nCount=5\r\n[DBSYSTEM]\r\nCount=2\r\n"},
        {"DuplicateKeysAndSections",
         "[DBSYSTEM]\r\nCount=-5\r\nCount=3\r\n[SYSTEM]\r\nLeft=abc\r\nLeft=300\r\nTop=\r\n"
         "Top=300\r\nAlphaBlendValue=x\r\nAlphaBlendValue=9\r\n[system]\r\nLeft=400\r\n"
         "[SYSTEM]\r\nTop=400\r\n"},
        {"BinaryBytes", "[DBSYSTEM]\r\nCount=\x01\x02\r\n[SYSTEM]\r\nLeft=\0"
                        "300\r\nTop=\xff\xfe\r\n"
                        "AlphaBlendValue=\x7f\r\n\0\0\0[SYSTEM]\r\nLeft=5\r\n\x1a\x1a"s},
        {"HeadersThatAreNotHeaders", "[SYS\0TEM]\r\nLeft=300\r\n SYSTEM]\r\nTop=300\r\n"
                                     "[SYSTEMX]\r\nLeft=300\r\n[DB SYSTEM]\r\nCount=4\r\n"s},
        {"DamagedHistory", "[HISTORY]\r\nCount=2147483647\r\nLine0=\r\nLine1=" + Garbage(300, 21) +
                               "\r\nCount=-1\r\nLine2\r\n[HISTORY]\r\nCount=3\r\n"
                               "[SYSTEM]\r\nHistory=x\r\nRunTyped=2\r\n"},
        {"Utf16LittleEndian", Utf16(kReadable, false)},
        {"Utf16BigEndian", Utf16(kReadable, true)},
        {"Empty", ""},
        {"OnlyLineEnds", "\r\n\n\r\r\n\n\n"},
        {"FolderInItsPlace", "", true},
    };
}

// What a folder holds: every name with its attributes, size and last write time.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> entries;
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE)
        return entries;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        entries[name] = std::to_string(fd.dwFileAttributes) + " " +
                        std::to_string(fd.nFileSizeLow) + " " +
                        std::to_string(fd.ftLastWriteTime.dwHighDateTime) + ":" +
                        std::to_string(fd.ftLastWriteTime.dwLowDateTime);
    } while (FindNextFileA(find, &fd));
    FindClose(find);
    return entries;
}

bool IsAt(const RECT& r, int left, int top, int width, int height) {
    return r.left == left && r.top == top && r.right - r.left == width &&
           r.bottom - r.top == height;
}

// The opacity of a layered window (255 when it has no alpha set), or -1.
int Opacity(HWND hwnd) {
    BYTE alpha = 0;
    DWORD flags = 0;
    if (!GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags))
        return -1;
    return (flags & LWA_ALPHA) ? alpha : 255;
}

class MalformedSettingsTest : public ::testing::TestWithParam<Damage> {};

TEST_P(MalformedSettingsTest, StartsWithTheDefaultsShowsOnlyTheIconAndWritesNothing) {
    const Damage& damage = GetParam();
    Folder folder(damage.Name);
    ASSERT_TRUE(folder.Ready()) << "TARNWICK_EXE and TARNWICK_MARKER must name the programs";
    if (damage.AsFolder) {
        ASSERT_TRUE(CreateDirectoryA(folder.Settings().c_str(), nullptr));
    } else {
        e2e::WriteFile(folder.Settings(), damage.Content);
    }
    ASSERT_EQ(e2e::ReadFile(folder.Settings()), damage.AsFolder ? "" : damage.Content);
    // A write within the same clock tick could keep the time: let the clock move on first.
    Sleep(50);
    const auto before = Snapshot(folder.Path());

    Launcher tarnwick(folder);
    ASSERT_TRUE(tarnwick.Start()) << "no command window or tray icon";
    EXPECT_TRUE(tarnwick.VisibleWindows().empty()) << "something besides the icon shows";

    tarnwick.HotKey();
    ASSERT_TRUE(e2e::WaitFor([&] { return tarnwick.CommandVisible(); }));
    const RECT r = tarnwick.CommandRect();
    EXPECT_TRUE(IsAt(r, 100, 70, 129, 18))
        << r.left << "," << r.top << " " << r.right - r.left << "x" << r.bottom - r.top;
    EXPECT_EQ(Opacity(tarnwick.Command()), 255);
    EXPECT_EQ(tarnwick.VisibleWindows().size(), 1u) << "a message box or another window shows";
    EXPECT_EQ(tarnwick.Line(), "");
    // It answers: typing and Escape.
    tarnwick.Type("zq");
    EXPECT_EQ(tarnwick.Line(), "ZQ");
    tarnwick.Type("\x1b");
    EXPECT_TRUE(e2e::WaitFor([&] { return !tarnwick.CommandVisible(); }));

    ASSERT_TRUE(tarnwick.ChooseFromTrayMenu(kExit));
    EXPECT_EQ(tarnwick.WaitForExit(10000), 0u);
    EXPECT_EQ(Snapshot(folder.Path()), before);
    if (!damage.AsFolder) {
        EXPECT_EQ(e2e::ReadFile(folder.Settings()), damage.Content);
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, MalformedSettingsTest, ::testing::ValuesIn(Corpus()),
                         [](const ::testing::TestParamInfo<Damage>& info) {
                             return std::string(info.param.Name);
                         });

// An empty file, as a package manager makes one for the settings to be kept in, is a first run;
// the first save fills that file, where it is, and is what the next start reads.
TEST(MalformedSettings, AnEmptyFileIsAFirstRunAndTheFirstSaveFillsIt) {
    char appData[MAX_PATH] = "";
    ASSERT_GT(GetEnvironmentVariableA("APPDATA", appData, MAX_PATH), 0u);
    const std::string elsewhere = std::string(appData) + "\\Tarnwick\\";
    e2e::RemoveTree(elsewhere);
    Folder folder("empty-then-saved");
    ASSERT_TRUE(folder.Ready());
    e2e::WriteFile(folder.Settings(), "");
    for (int run = 0; run < 2; ++run) {
        Launcher tarnwick(folder);
        ASSERT_TRUE(tarnwick.Start());
        EXPECT_TRUE(tarnwick.VisibleWindows().empty());
        tarnwick.HotKey();
        ASSERT_TRUE(e2e::WaitFor([&] { return tarnwick.CommandVisible(); }));
        if (run == 0) {
            EXPECT_TRUE(IsAt(tarnwick.CommandRect(), 100, 70, 129, 18));
            tarnwick.Drag(5, 3, 400, 300);
            EXPECT_TRUE(e2e::WaitFor([&] { return tarnwick.CommandRect().left == 395; }, 3000));
            tarnwick.Release();
            tarnwick.Settle();
            EXPECT_EQ(tarnwick.MessageBoxWindow(), nullptr);
        } else {
            EXPECT_TRUE(IsAt(tarnwick.CommandRect(), 395, 297, 129, 18));
        }
        tarnwick.Type("\x1b");
        ASSERT_TRUE(tarnwick.ChooseFromTrayMenu(kExit));
        EXPECT_EQ(tarnwick.WaitForExit(10000), 0u);
    }
    EXPECT_EQ(e2e::IniInt(folder.Settings(), "SYSTEM", "Left", -1), 395);
    EXPECT_EQ(e2e::IniInt(folder.Settings(), "SYSTEM", "Top", -1), 297);
    EXPECT_FALSE(e2e::FileExists(elsewhere));
}

// Damaged options fall back to their defaults, not to "off": a keyword completes without Enter
// (NoEnter), and a damaged hot key registers nothing. The entries themselves are intact.
TEST(MalformedSettings, DamagedOptionsTakeTheirDefaults) {
    Folder folder("options");
    ASSERT_TRUE(folder.Ready());
    const std::string settings = "[DBSYSTEM]\r\nCount=1\r\n[DATABASE]\r\nName0=Marker\r\n"
                                 "Filename0=" +
                                 folder.Marker() +
                                 "\r\nKeyword0=mark\r\n[SYSTEM]\r\n"
                                 "NoEnter=yes\r\nWeb=\r\nSound=0x\r\n"
                                 "hKey=3070junk\r\nAlphaBlendValue=0x1G\r\n";
    e2e::WriteFile(folder.Settings(), settings);
    ASSERT_TRUE(e2e::HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'F')); // what 3070 would register
    Launcher tarnwick(folder);
    ASSERT_TRUE(tarnwick.Start());
    EXPECT_TRUE(e2e::HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'F'));

    tarnwick.HotKey();
    EXPECT_EQ(Opacity(tarnwick.Command()), 255);
    tarnwick.Type("mark");
    EXPECT_TRUE(e2e::WaitFor([&] { return e2e::FileExists(folder.MarkerLog()); }))
        << "the keyword did not complete without Enter";
    EXPECT_TRUE(e2e::WaitFor([&] { return !tarnwick.CommandVisible(); }));
    ASSERT_TRUE(tarnwick.ChooseFromTrayMenu(kExit));
    EXPECT_EQ(tarnwick.WaitForExit(10000), 0u);
    // The damaged values stay as they were; the exit adds only the line that launched.
    EXPECT_EQ(e2e::ReadFile(folder.Settings()),
              settings + "[HISTORY]\r\nCount=1\r\nLine0=MARK\r\n");
}

// A settings file that another program holds open without sharing cannot be read: the defaults
// apply, the file is read at the first call-up after it is let go, and it is neither overwritten
// nor replaced.
TEST(MalformedSettings, AFileHeldOpenElsewhereGivesTheDefaultsUntilLetGoAndStaysAsItWas) {
    Folder folder("locked");
    ASSERT_TRUE(folder.Ready());
    e2e::WriteFile(folder.Settings(), kReadable);
    HANDLE held = CreateFileA(folder.Settings().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Launcher tarnwick(folder);
    const bool started = tarnwick.Start();
    if (started) {
        EXPECT_TRUE(tarnwick.VisibleWindows().empty());
        tarnwick.HotKey();
        EXPECT_TRUE(IsAt(tarnwick.CommandRect(), 100, 70, 129, 18));
        tarnwick.Type("\x1b");
    }
    CloseHandle(held);
    ASSERT_TRUE(started);
    tarnwick.HotKey();
    EXPECT_TRUE(IsAt(tarnwick.CommandRect(), 300, 200, 129, 18));
    ASSERT_TRUE(tarnwick.ChooseFromTrayMenu(kExit));
    EXPECT_EQ(tarnwick.WaitForExit(10000), 0u);
    EXPECT_EQ(e2e::ReadFile(folder.Settings()), kReadable);
}

} // namespace
