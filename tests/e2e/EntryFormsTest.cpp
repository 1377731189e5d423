// The real Tarnwick.exe with entries that take text after their keyword, name environment
// variables, or give paths from the launcher's own folder. The driver starts it from another
// folder (the temporary one), so a path taken from the current folder would miss the marker.
#include "support/E2e.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using e2e::Folder;
using e2e::Launcher;

std::string Entry(int i, const std::string& file, const std::string& dir, const std::string& params,
                  const std::string& keyword) {
    const std::string n = std::to_string(i);
    return "Name" + n + "=Marker\r\nFilename" + n + "=" + file + "\r\nDirectory" + n + "=" + dir +
           "\r\nParams" + n + "=" + params + "\r\nKeyword" + n + "=" + keyword + "\r\n";
}

std::size_t Lines(const std::string& text) {
    std::size_t n = 0;
    for (const char c : text)
        n += c == '\n';
    return n;
}

class EntryFormsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.Ready()) << "TARNWICK_EXE and TARNWICK_MARKER must name the programs";
        CreateDirectoryA((folder.Path() + "work").c_str(), nullptr);
        // The launcher inherits this process's environment.
        ASSERT_TRUE(SetEnvironmentVariableA("TARNWICK_E2E_HOME", Home().c_str()));
        ASSERT_TRUE(SetEnvironmentVariableA("TARNWICK_E2E_WORD", "expanded"));
    }
    void TearDown() override {
        (void)SetEnvironmentVariableA("TARNWICK_E2E_HOME", nullptr);
        (void)SetEnvironmentVariableA("TARNWICK_E2E_WORD", nullptr);
    }
    // The exe's folder as the current folder reads: without the trailing backslash.
    std::string Home() const { return folder.Path().substr(0, folder.Path().size() - 1); }

    // Calls the line up, types `text` and waits for the marker's log to reach `lines` lines.
    std::string Run(Launcher& tarnwick, const std::string& text, std::size_t lines) {
        tarnwick.HotKey();
        EXPECT_TRUE(tarnwick.CommandVisible());
        tarnwick.Type(text);
        EXPECT_TRUE(e2e::WaitFor([&] { return Lines(e2e::ReadFile(folder.MarkerLog())) >= lines; }))
            << text;
        EXPECT_TRUE(e2e::WaitFor([&] { return !tarnwick.CommandVisible(); })) << text;
        return e2e::ReadFile(folder.MarkerLog());
    }

    Folder folder{::testing::UnitTest::GetInstance()->current_test_info()->name()};
};

TEST_F(EntryFormsTest, TextAfterAKeywordReachesTheProgramAsTypedAndUpperCased) {
    e2e::WriteFile(folder.Settings(), "[DBSYSTEM]\r\nCount=1\r\n[DATABASE]\r\n" +
                                          Entry(0, folder.Marker(), "", "--text $W$ end", "Note") +
                                          "[SYSTEM]\r\nSound=0\r\n");
    Launcher tarnwick(folder);
    ASSERT_TRUE(tarnwick.Start());

    // NoEnter is on, yet the keyword waits for its text and Enter.
    tarnwick.HotKey();
    tarnwick.Type("note");
    EXPECT_TRUE(tarnwick.CommandVisible());
    Sleep(200);
    EXPECT_FALSE(e2e::FileExists(folder.MarkerLog()));
    // The typed text is data: "%PATH%" is not expanded. With no start-in folder the program
    // starts in the launcher's own folder, not in the one the launcher was started from.
    tarnwick.Type(" buy 100% %path%\r");
    ASSERT_TRUE(e2e::WaitFor([&] { return Lines(e2e::ReadFile(folder.MarkerLog())) >= 1; }));
    EXPECT_TRUE(e2e::WaitFor([&] { return !tarnwick.CommandVisible(); }));
    EXPECT_EQ(e2e::ReadFile(folder.MarkerLog()),
              "params=--text BUY 100% %PATH% end|cwd=" + Home() + "\n");

    // The bare keyword and Enter: the placeholder gives way to nothing.
    EXPECT_EQ(Run(tarnwick, "note\r", 2), "params=--text BUY 100% %PATH% end|cwd=" + Home() +
                                              "\nparams=--text  end|cwd=" + Home() + "\n");
}

TEST_F(EntryFormsTest, VariablesAndDotPathsFindTheMarkerWhereverTheLauncherWasStarted) {
    e2e::WriteFile(folder.Settings(),
                   "[DBSYSTEM]\r\nCount=2\r\n[DATABASE]\r\n" +
                       Entry(0, "%TARNWICK_E2E_HOME%\\marker.exe", "%tarnwick_e2e_home%\\work",
                             "env %TARNWICK_E2E_WORD% %TARNWICK_E2E_NONE%", "env") +
                       Entry(1, ".\\marker.exe", ".\\work", "dot", "dot") +
                       "[SYSTEM]\r\nSound=0\r\n");
    Launcher tarnwick(folder);
    ASSERT_TRUE(tarnwick.Start());

    const std::string work = folder.Path() + "work";
    EXPECT_EQ(Run(tarnwick, "env", 1),
              "params=env expanded %TARNWICK_E2E_NONE%|cwd=" + work + "\n");
    EXPECT_EQ(Run(tarnwick, "dot", 2), "params=env expanded %TARNWICK_E2E_NONE%|cwd=" + work +
                                           "\nparams=dot|cwd=" + work + "\n");
}

} // namespace
