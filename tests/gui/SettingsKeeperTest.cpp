// The settings keeper on real files under Wine: what counts as a change outside (the bytes, not
// the time), looks off the interface thread, its own saves, the history's quiet save, and saves
// that keep what the user gave the file (read-only mark, attributes, hard links).
#include "app/SettingsKeeper.h"
#include "support/E2e.h"
#include "support/Recorder.h"
#include "support/SettingsLook.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/FileSystem.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class SettingsKeeperTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "tarnwick-keeper-" + std::to_string(GetCurrentProcessId()) +
                 "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
        e2e::RemoveTree(folder);
        CreateDirectoryA(folder.c_str(), nullptr);
        app = std::make_unique<toolkit::Application>(recorder);
    }
    void TearDown() override {
        keeper.reset();
        app.reset();
        SetFileAttributesA(Ini().c_str(), FILE_ATTRIBUTE_NORMAL);
        e2e::RemoveTree(folder);
    }
    std::string Ini() const { return folder + "Tarnwick.ini"; }
    // A keeper that has read the file as start-up does, and counts what it takes up.
    void Start() {
        keeper = std::make_unique<TSettingsKeeper>(folder);
        keeper->OnOptions = [this](const TSettings& s) {
            ++optionsTaken;
            left = s.Left;
        };
        keeper->OnDatabase = [this](TEntries e) {
            ++databaseTaken;
            count = e.Count();
        };
        keeper->DatabaseHeld = [this] { return held; };
        (void)keeper->ReadNow(true);
        optionsTaken = databaseTaken = 0;
    }
    void LookAndWait() {
        keeper->Look();
        ASSERT_TRUE(testing_support::AwaitSettingsLook());
    }
    // The file's last-write time moved by `seconds`, its bytes untouched.
    void Touch(int seconds) {
        HANDLE f = CreateFileA(Ini().c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        FILETIME written{};
        GetFileTime(f, nullptr, nullptr, &written);
        ULARGE_INTEGER t{{written.dwLowDateTime, written.dwHighDateTime}};
        t.QuadPart += 10000000LL * seconds;
        written = {t.LowPart, t.HighPart};
        SetFileTime(f, nullptr, nullptr, &written);
        CloseHandle(f);
    }

    testing_support::Recorder recorder;
    std::unique_ptr<toolkit::Application> app;
    std::unique_ptr<TSettingsKeeper> keeper;
    std::string folder; // with its trailing backslash
    int optionsTaken = 0, databaseTaken = 0, left = 0, count = 0;
    bool held = false;
};

const char* const kFile =
    "[DBSYSTEM]\r\nCount=1\r\n[DATABASE]\r\nName0=A\r\n[SYSTEM]\r\nLeft=5\r\n";

TEST_F(SettingsKeeperTest, OnlyChangedBytesCountAsAChangeNotAMovedTimeNorAFileThatCannotBeRead) {
    e2e::WriteFile(Ini(), kFile);
    Start();
    // A daylight-saving change on a FAT disk, or a sync client, moves the time alone.
    Touch(3600);
    EXPECT_FALSE(keeper->DatabaseChangedOutside());
    LookAndWait();
    EXPECT_EQ(optionsTaken + databaseTaken, 0);

    e2e::HandEdit(Ini(), "[DBSYSTEM]\r\nCount=2\r\n[SYSTEM]\r\nLeft=7\r\n");
    EXPECT_TRUE(keeper->DatabaseChangedOutside());
    held = true; // the editor's own changes are not dropped by a look
    LookAndWait();
    EXPECT_EQ(optionsTaken, 1);
    EXPECT_EQ(left, 7);
    EXPECT_EQ(databaseTaken, 0);
    EXPECT_TRUE(keeper->DatabaseChangedOutside());
    held = false;
    LookAndWait();
    EXPECT_EQ(databaseTaken, 1);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(optionsTaken, 1) << "options already taken are not taken again";
    EXPECT_FALSE(keeper->DatabaseChangedOutside());

    // A folder in the file's place at start, and still: nothing was read, and nothing changed.
    keeper.reset();
    DeleteFileA(Ini().c_str());
    ASSERT_TRUE(CreateDirectoryA(Ini().c_str(), nullptr));
    Start();
    EXPECT_FALSE(keeper->DatabaseChangedOutside());
    RemoveDirectoryA(Ini().c_str());
    e2e::WriteFile(Ini(), kFile); // readable now: its list is new to the keeper
    EXPECT_TRUE(keeper->DatabaseChangedOutside());
}

TEST_F(SettingsKeeperTest, OwnSavesAreNoChangeButAChangeOutsideFromBeforeOneStillIs) {
    e2e::WriteFile(Ini(), kFile);
    Start();
    keeper->Save([](const std::string& path) { WritePosition(path, 11, 12); });
    EXPECT_FALSE(keeper->DatabaseChangedOutside());
    LookAndWait();
    EXPECT_EQ(optionsTaken + databaseTaken, 0);

    e2e::HandEdit(Ini(), std::string(kFile) + "Top=3\r\n");
    keeper->Save([](const std::string& path) { WritePosition(path, 20, 21); });
    EXPECT_TRUE(keeper->DatabaseChangedOutside());
    LookAndWait();
    EXPECT_EQ(optionsTaken, 1);
    EXPECT_EQ(left, 20);
    keeper->Save([](const std::string& path) { WriteDatabase(path, TEntries()); }, true);
    EXPECT_FALSE(keeper->DatabaseChangedOutside());
}

TEST_F(SettingsKeeperTest, ALookRunsOffTheCallingThreadAndAnAnswerFromBeforeASaveIsDropped) {
    e2e::WriteFile(Ini(), kFile);
    Start();
    e2e::HandEdit(Ini(), "[SYSTEM]\r\nLeft=9\r\n");
    {
        testing_support::HangingDrive drive;
        keeper->Look(); // returns at once, the drive hanging
        ASSERT_TRUE(e2e::WaitFor([&] { return drive.Waiting(); }, 5000));
        EXPECT_TRUE(keeper->Looking());
        keeper->Look(); // not doubled
        // A save meanwhile makes the answer out of date: the file it read is not the file now.
        keeper->Save([](const std::string& path) { WritePosition(path, 30, 31); });
        drive.Release();
        ASSERT_TRUE(testing_support::AwaitSettingsLook());
    }
    EXPECT_EQ(optionsTaken, 0);
    LookAndWait(); // the next look takes up the hand edit and the save together
    EXPECT_EQ(optionsTaken, 1);
    EXPECT_EQ(left, 30);
}

TEST_F(SettingsKeeperTest, TheHistorysSaveAtTheEndSaysNothingWhenItFailsAndMakesNoFile) {
    Start();
    EXPECT_TRUE(keeper->SaveHistory({"G CATS"}));
    EXPECT_FALSE(e2e::FileExists(Ini())) << "nothing is created at exit";

    ASSERT_TRUE(CreateDirectoryA(Ini().c_str(), nullptr)); // cannot be written by anybody
    EXPECT_FALSE(keeper->SaveHistory({"G CATS"}));
    RemoveDirectoryA(Ini().c_str());

    e2e::WriteFile(Ini(), kFile);
    SetFileAttributesA(Ini().c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(keeper->SaveHistory({"G CATS"}));
    EXPECT_EQ(e2e::ReadFile(Ini()), kFile);
    EXPECT_TRUE(recorder.Only("messagebox").empty());
}

TEST_F(SettingsKeeperTest, SavesLeaveAReadOnlyFileAloneAndKeepAttributesAndHardLinks) {
    e2e::WriteFile(Ini(), kFile);
    Start();
    // Windows refuses to replace a read-only file; Wine would let it through and drop the mark.
    SetFileAttributesA(Ini().c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_THROW(keeper->Save([](const std::string& p) { WritePosition(p, 1, 2); }),
                 toolkit::EIniFileException);
    EXPECT_EQ(e2e::ReadFile(Ini()), kFile);
    EXPECT_NE(GetFileAttributesA(Ini().c_str()) & FILE_ATTRIBUTE_READONLY, 0u);

    ASSERT_TRUE(SetFileAttributesA(Ini().c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_NE(GetFileAttributesA(Ini().c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    keeper->Save([](const std::string& p) { WritePosition(p, 1, 2); });
    EXPECT_NE(GetFileAttributesA(Ini().c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    SetFileAttributesA(Ini().c_str(), FILE_ATTRIBUTE_NORMAL);

    // A package manager's persisted copy: a second name of the same file sees every save.
    const std::string persisted = folder + "persisted.ini";
    ASSERT_TRUE(CreateHardLinkA(persisted.c_str(), Ini().c_str(), nullptr));
    keeper->Save([](const std::string& p) { WritePosition(p, 40, 41); });
    EXPECT_NE(e2e::ReadFile(persisted).find("Left=40"), std::string::npos);
    EXPECT_EQ(e2e::ReadFile(persisted), e2e::ReadFile(Ini()));
    EXPECT_FALSE(keeper->DatabaseChangedOutside());
    e2e::WriteFile(persisted, "[SYSTEM]\r\nLeft=77\r\n");
    EXPECT_EQ(e2e::ReadFile(Ini()), "[SYSTEM]\r\nLeft=77\r\n") << "still one file";
}

TEST_F(SettingsKeeperTest, TheFolderProbeLeavesNothingBehind) {
    EXPECT_TRUE(toolkit::CanCreateFileIn(folder));
    EXPECT_TRUE(toolkit::CanCreateFileIn(folder));
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &fd);
    int files = 0;
    if (find != INVALID_HANDLE_VALUE) {
        do
            files += fd.cFileName[0] != '.';
        while (FindNextFileA(find, &fd));
        FindClose(find);
    }
    EXPECT_EQ(files, 0);
    EXPECT_FALSE(toolkit::CanCreateFileIn(folder + "gone\\"));
}

} // namespace
