#include "data/Settings.h"
#include "toolkit/AnsiText.h"
#include "toolkit/Errors.h"
#include "toolkit/FileReplace.h"

#include "support/AwkwardValues.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace {

namespace fs = std::filesystem;
using testing_support::AwkwardValues;
using testing_support::ReadAll;
using testing_support::WriteAll;

// A fresh folder standing in for the executable's folder; the settings path is built the way the
// command window builds it, folder + separator + one more separator + "Tarnwick.ini".
class ExeFolder {
public:
    ExeFolder() {
        std::random_device rd;
        dir_ = fs::temp_directory_path() / ("tarnwick-settings-" + std::to_string(rd()));
        fs::create_directories(dir_);
        const std::string sep(1, static_cast<char>(fs::path::preferred_separator));
        ini = dir_.string() + sep + sep + "Tarnwick.ini";
    }
    ~ExeFolder() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string ini;
    std::size_t Files() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    }

private:
    fs::path dir_;
};

TDBItem Item(const std::string& n) {
    return {"Name " + n, "C:\\Apps\\" + n + ".exe", "C:\\Apps", "/p " + n, "K" + n};
}

TEntries Database(int count) {
    TEntries entries;
    for (int i = 0; i < count; ++i)
        entries.Append(Item(std::to_string(i)));
    return entries;
}

void Load(const std::string& ini, TEntries& entries, TSettings& settings) {
    ReadSettings(ini, entries, settings);
}

TEST(ReadSettings, NoFileGivesEveryDefaultAndCreatesNothing) {
    ExeFolder exe;
    TEntries entries = Database(3);
    TSettings s;
    s.Left = 1, s.Top = 2, s.AlphaBlendValue = 3, s.Web = false, s.NoEnter = false, s.Sound = false,
    s.hKey = 4;
    Load(exe.ini, entries, s);
    EXPECT_EQ(entries.Count(), 0);
    EXPECT_EQ(s.Left, 100);
    EXPECT_EQ(s.Top, 70);
    EXPECT_EQ(s.AlphaBlendValue, 255);
    EXPECT_TRUE(s.Web);
    EXPECT_TRUE(s.NoEnter);
    EXPECT_TRUE(s.Sound);
    EXPECT_EQ(s.hKey, 0);
    EXPECT_EQ(exe.Files(), 0u);
}

TEST(ReadSettings, EdgeCasesOfTheStoredValues) {
    ExeFolder exe;
    const std::string file = "[DBSYSTEM]\r\nCount=4\r\n[DATABASE]\r\n"
                             "Name0=a\r\nFilename0=f\r\nDirectory0=d\r\nParams0=\"C:\\x y.txt\"\r\n"
                             "Keyword0=k\r\n"
                             "Name1=b\r\n"
                             "Name3=\r\n"
                             "[SYSTEM]\r\nLeft=0x64\r\nTop=abc\r\nAlphaBlendValue=300\r\n"
                             "Web=yes\r\nNoEnter=0\r\nSound=2\r\nhKey=68606\r\n";
    WriteAll(exe.ini, file);
    TEntries entries;
    TSettings s;
    Load(exe.ini, entries, s);
    ASSERT_EQ(entries.Count(), 4);
    EXPECT_EQ(entries.At(0).Params, "C:\\x y.txt") << "quotes written by hand come off";
    EXPECT_EQ(entries.At(0).Keyword, "k");
    EXPECT_EQ(entries.At(1).Name, "b");
    EXPECT_EQ(entries.At(1).Filename, "");
    EXPECT_EQ(entries.At(2).Name, "Unknown") << "missing Name2";
    EXPECT_EQ(entries.At(3).Name, "") << "Name3 present and empty";
    EXPECT_EQ(s.Left, 100);
    EXPECT_EQ(s.Top, 70);
    EXPECT_EQ(s.AlphaBlendValue, 44) << "low 8 bits of 300";
    EXPECT_TRUE(s.Web) << "yes is no number: the default";
    EXPECT_FALSE(s.NoEnter);
    EXPECT_TRUE(s.Sound);
    EXPECT_EQ(s.hKey, 68606) << "kept whole; the hot key uses its low 16 bits";
    EXPECT_EQ(ReadAll(exe.ini), file) << "reading changes nothing";

    WriteAll(exe.ini, "[SYSTEM]\r\nAlphaBlendValue=0\r\nWeb=0\r\nSound=0\r\n");
    Load(exe.ini, entries, s);
    EXPECT_EQ(s.AlphaBlendValue, 0);
    EXPECT_FALSE(s.Web);
    EXPECT_FALSE(s.Sound);
    EXPECT_TRUE(s.NoEnter);
}

TEST(ReadSettings, CountDecidesHowManyEntriesLoad) {
    ExeFolder exe;
    WriteDatabase(exe.ini, Database(5));
    const std::string five = ReadAll(exe.ini);
    TEntries entries;
    TSettings s;

    WriteAll(exe.ini, std::string(five).replace(five.find("Count=5"), 7, "Count=2"));
    Load(exe.ini, entries, s);
    ASSERT_EQ(entries.Count(), 2);
    EXPECT_EQ(entries.At(1).Keyword, "K1");

    WriteAll(exe.ini, std::string(five).replace(five.find("Count=5"), 7, "Count=-3"));
    entries = Database(2);
    Load(exe.ini, entries, s);
    EXPECT_EQ(entries.Count(), 0) << "a negative count loads nothing";

    WriteAll(exe.ini, std::string(five).replace(five.find("Count=5"), 7, "Count=2147483647"));
    Load(exe.ini, entries, s);
    ASSERT_EQ(entries.Count(), MaxStoredEntries) << "a damaged count is bounded";
    EXPECT_EQ(entries.At(4).Name, "Name 4");
    EXPECT_EQ(entries.At(5).Name, "Unknown");
    EXPECT_EQ(entries.At(MaxStoredEntries - 1).Filename, "");
}

TEST(WriteDatabase, TwoEntriesIntoAnEmptyFileGiveTheExactFile) {
    ExeFolder exe;
    TEntries entries;
    entries.Append({"Notepad", "notepad.exe", "", "", "NP"});
    entries.Append({"Docs", "C:\\Docs", "C:\\", "\"C:\\My Files\\a.txt\"", "D"});
    WriteDatabase(exe.ini, entries);
    EXPECT_EQ(ReadAll(exe.ini), "[DBSYSTEM]\r\n"
                                "Count=2\r\n"
                                "[DATABASE]\r\n"
                                "Name0=Notepad\r\n"
                                "Filename0=notepad.exe\r\n"
                                "Directory0=\r\n"
                                "Params0=\r\n"
                                "Keyword0=NP\r\n"
                                "Name1=Docs\r\n"
                                "Filename1=C:\\Docs\r\n"
                                "Directory1=C:\\\r\n"
                                "Params1=\"\"C:\\My Files\\a.txt\"\"\r\n"
                                "Keyword1=D\r\n");
    EXPECT_EQ(exe.Files(), 1u);
    TEntries back;
    TSettings s;
    Load(exe.ini, back, s);
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.At(1).Params, "\"C:\\My Files\\a.txt\"") << "our own quotes survive";
    EXPECT_EQ(back.At(0).Directory, "");
}

TEST(WriteDatabase, ShrinkingKeepsTheOldKeysBehindTheNewCount) {
    ExeFolder exe;
    WriteDatabase(exe.ini, Database(5));
    WriteDatabase(exe.ini, Database(3));
    const std::string file = ReadAll(exe.ini);
    EXPECT_NE(file.find("Count=3\r\n"), std::string::npos);
    EXPECT_NE(file.find("Name3=Name 3\r\n"), std::string::npos);
    EXPECT_NE(file.find("Keyword4=K4\r\n"), std::string::npos);
    TEntries entries;
    TSettings s;
    Load(exe.ini, entries, s);
    EXPECT_EQ(entries.Count(), 3);
    // A longer database later overwrites them in place.
    TEntries longer = Database(5);
    longer.At(4).Keyword = "NEW";
    WriteDatabase(exe.ini, longer);
    Load(exe.ini, entries, s);
    EXPECT_EQ(entries.Count(), 5);
    EXPECT_EQ(entries.At(4).Keyword, "NEW");
    EXPECT_EQ(ReadAll(exe.ini).find("Keyword4=K4"), std::string::npos);
}

TEST(WriteDatabase, TheAdministratorMarkIsStoredOnlyWhereItIsOrWas) {
    ExeFolder exe;
    TEntries entries = Database(3);
    entries.At(1).RunAs = true;
    WriteDatabase(exe.ini, entries);
    std::string file = ReadAll(exe.ini);
    EXPECT_NE(file.find("Keyword1=K1\r\nRunAs1=1\r\n"), std::string::npos) << file;
    EXPECT_EQ(file.find("RunAs0"), std::string::npos) << "unmarked entries get no key";
    TEntries back;
    TSettings s;
    Load(exe.ini, back, s);
    EXPECT_FALSE(back.At(0).RunAs);
    EXPECT_TRUE(back.At(1).RunAs);

    // Deleting the marked entry moves another one to its index: its old mark must not stay.
    entries.Delete(1);
    WriteDatabase(exe.ini, entries);
    file = ReadAll(exe.ini);
    EXPECT_NE(file.find("RunAs1=0\r\n"), std::string::npos) << file;
    Load(exe.ini, back, s);
    EXPECT_FALSE(back.At(1).RunAs);
}

TEST(WriteDatabase, EntryHotKeysFollowTheirEntriesAndLeaveOtherFilesAsTheyAre) {
    ExeFolder exe;
    // A file without entry hot keys, written again unchanged, stays byte for byte.
    WriteDatabase(exe.ini, Database(3));
    const std::string plain = ReadAll(exe.ini);
    TEntries entries;
    TSettings s;
    Load(exe.ini, entries, s);
    WriteDatabase(exe.ini, entries);
    EXPECT_EQ(ReadAll(exe.ini), plain);
    EXPECT_EQ(plain.find("HotKey"), std::string::npos);

    entries.At(1).HotKey = 3000 + 'F'; // Ctrl + Alt + F
    entries.At(2).HotKey = 1000 + 112; // Ctrl + F1
    WriteDatabase(exe.ini, entries);
    std::string file = ReadAll(exe.ini);
    EXPECT_NE(file.find("HotKey1=3070\r\n"), std::string::npos) << file;
    EXPECT_EQ(file.find("HotKey0"), std::string::npos) << file;
    TEntries back;
    Load(exe.ini, back, s);
    EXPECT_EQ(back.At(0).HotKey, 0);
    EXPECT_EQ(back.At(1).HotKey, 3070);
    EXPECT_EQ(back.At(2).HotKey, 1112);

    // Deleted, its index taken by the next entry: the hot key goes with it, not to the index.
    entries.Delete(1);
    WriteDatabase(exe.ini, entries);
    Load(exe.ini, back, s);
    EXPECT_EQ(back.At(1).HotKey, 1112);
    EXPECT_EQ(back.At(1).Keyword, "K2");
    entries.At(1).HotKey = 0; // given up: cleared where it was stored
    WriteDatabase(exe.ini, entries);
    Load(exe.ini, back, s);
    EXPECT_EQ(back.At(1).HotKey, 0);
}

TEST(WriteDatabase, HandEditedHotKeysThatNameNoKeyAreKept) {
    ExeFolder exe;
    // Modifiers only, a text, the clearing key, no key code: none names a key, none is lost.
    const std::string file = "[DBSYSTEM]\r\nCount=4\r\n[DATABASE]\r\nName0=A\r\nHotKey0=3000\r\n"
                             "Name1=B\r\nHotKey1=ctrl+q\r\nName2=C\r\nHotKey2=1008\r\n"
                             "Name3=D\r\nHotKey3=1999\r\n";
    WriteAll(exe.ini, file);
    TEntries entries;
    TSettings s;
    Load(exe.ini, entries, s);
    WriteDatabase(exe.ini, entries);
    const std::string after = ReadAll(exe.ini);
    for (const char* kept : {"HotKey0=3000", "HotKey1=ctrl+q", "HotKey2=1008", "HotKey3=1999"})
        EXPECT_NE(after.find(kept), std::string::npos) << kept << "\n" << after;
}

TEST(ReadSettings, FollowMonitorIsOffUnlessSwitchedOn) {
    ExeFolder exe;
    TEntries entries;
    TSettings s;
    Load(exe.ini, entries, s);
    EXPECT_FALSE(s.FollowMonitor);
    WriteAll(exe.ini, "[SYSTEM]\r\nFollowMonitor=1\r\n");
    Load(exe.ini, entries, s);
    EXPECT_TRUE(s.FollowMonitor);
}

TEST(WriteSettings, PositionAndOptionsWriteTheirKeysInOrderAndKeepTheRest) {
    ExeFolder exe;
    WritePosition(exe.ini, 100, 70);
    EXPECT_EQ(ReadAll(exe.ini), "[SYSTEM]\r\nLeft=100\r\nTop=70\r\n")
        << "an unmoved click still creates the file";
    WriteOptions(exe.ini, 128, false, true, false, 3070);
    WriteDatabase(exe.ini, Database(1));
    WritePosition(exe.ini, -5, 2000);
    EXPECT_EQ(ReadAll(exe.ini), "[SYSTEM]\r\nLeft=-5\r\nTop=2000\r\nAlphaBlendValue=128\r\n"
                                "Web=0\r\nSound=1\r\nNoEnter=0\r\nhKey=3070\r\n"
                                "[DBSYSTEM]\r\nCount=1\r\n[DATABASE]\r\nName0=Name 0\r\n"
                                "Filename0=C:\\Apps\\0.exe\r\nDirectory0=C:\\Apps\r\n"
                                "Params0=/p 0\r\nKeyword0=K0\r\n");
    TEntries entries;
    TSettings s;
    Load(exe.ini, entries, s);
    EXPECT_EQ(s.Left, -5);
    EXPECT_EQ(s.Top, 2000);
    EXPECT_EQ(s.AlphaBlendValue, 128);
    EXPECT_FALSE(s.Web);
    EXPECT_TRUE(s.Sound);
    EXPECT_FALSE(s.NoEnter);
    EXPECT_EQ(s.hKey, 3070);
    EXPECT_EQ(entries.Count(), 1);
}

TEST(WriteDatabase, EveryFieldComesBackByteForByte) {
    ExeFolder exe;
    // The program's texts are UTF-8: the awkward high bytes as the characters they stood for.
    std::vector<std::string> values = AwkwardValues();
    for (std::string& v : values)
        v = toolkit::AnsiToUtf8(v).value();
    TEntries entries;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto& a = values[i];
        const auto& b = values[(i + 1) % values.size()];
        const auto& c = values[(i + 2) % values.size()];
        entries.Append({a, b, c, a + b, c + a});
    }
    WriteDatabase(exe.ini, entries);
    TEntries back;
    TSettings s;
    Load(exe.ini, back, s);
    ASSERT_EQ(back.Count(), entries.Count());
    for (std::int32_t i = 0; i < entries.Count(); ++i) {
        EXPECT_EQ(back.At(i).Name, entries.At(i).Name) << i;
        EXPECT_EQ(back.At(i).Filename, entries.At(i).Filename) << i;
        EXPECT_EQ(back.At(i).Directory, entries.At(i).Directory) << i;
        EXPECT_EQ(back.At(i).Params, entries.At(i).Params) << i;
        EXPECT_EQ(back.At(i).Keyword, entries.At(i).Keyword) << i;
    }
    EXPECT_EQ(back.Count(), static_cast<std::int32_t>(values.size())) << "nothing injected";
}

void ExpectUnableToWrite(void (*write)(const std::string&), const std::string& ini) {
    try {
        write(ini);
        FAIL() << "the save must fail";
    } catch (const toolkit::EIniFileException& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + ini);
    }
}

TEST(WriteSettings, SaveThatCannotLandRaisesWithThePath) {
    ExeFolder exe;
    const std::string sep(1, static_cast<char>(fs::path::preferred_separator));
    const std::string inMissingFolder =
        exe.ini.substr(0, exe.ini.size() - 12) + "gone" + sep + "Tarnwick.ini";
    ExpectUnableToWrite([](const std::string& p) { WritePosition(p, 1, 2); }, inMissingFolder);

    fs::create_directory(exe.ini);
    ExpectUnableToWrite([](const std::string& p) { WriteOptions(p, 1, true, true, true, 0); },
                        exe.ini);
    ExpectUnableToWrite([](const std::string& p) { WriteDatabase(p, Database(2)); }, exe.ini);
    EXPECT_TRUE(fs::is_directory(exe.ini));
    EXPECT_EQ(exe.Files(), 1u) << "no temporary files stay behind";
}

bool FailingReplace(const std::string&, const std::string&) {
    return false;
}

TEST(WriteSettings, FailedSaveLeavesTheOldFileByteForByte) {
    ExeFolder exe;
    WriteDatabase(exe.ini, Database(5));
    WriteOptions(exe.ini, 200, true, false, true, 116);
    const std::string before = ReadAll(exe.ini);
    const toolkit::FileReplacer previous = toolkit::SetFileReplacer(&FailingReplace);
    ExpectUnableToWrite([](const std::string& p) { WriteDatabase(p, Database(3)); }, exe.ini);
    ExpectUnableToWrite([](const std::string& p) { WritePosition(p, 1, 2); }, exe.ini);
    toolkit::SetFileReplacer(previous);
    EXPECT_EQ(ReadAll(exe.ini), before);
    EXPECT_EQ(exe.Files(), 1u);
}

TEST(WriteSettings, AReadOnlyFileIsLeftAloneAndEveryNameOfTheFileSeesASave) {
    ExeFolder exe;
    WriteOptions(exe.ini, 200, true, false, true, 116);
    const std::string before = ReadAll(exe.ini);
    // No write bit (the read-only attribute on Windows): refused also where the platform, or an
    // administrator's rights, would let the replacement through.
    const auto writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(exe.ini, writable, fs::perm_options::remove);
    ExpectUnableToWrite([](const std::string& p) { WritePosition(p, 1, 2); }, exe.ini);
    EXPECT_EQ(ReadAll(exe.ini), before);
    EXPECT_EQ(fs::status(exe.ini).permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(exe.Files(), 1u);
    fs::permissions(exe.ini, fs::perms::owner_write, fs::perm_options::add);

    // A second hard link, as a package manager keeps its persisted copy: it sees the save.
    const std::string persisted = exe.ini + ".persisted";
    fs::create_hard_link(exe.ini, persisted);
    WritePosition(exe.ini, 40, 41);
    EXPECT_NE(ReadAll(persisted).find("Left=40\r\n"), std::string::npos) << ReadAll(persisted);
    EXPECT_EQ(ReadAll(persisted), ReadAll(exe.ini));
    WriteAll(persisted, "[SYSTEM]\r\nTop=9\r\n");
    EXPECT_EQ(ReadAll(exe.ini), "[SYSTEM]\r\nTop=9\r\n") << "still one file under two names";
    EXPECT_EQ(exe.Files(), 2u) << "no temporary file stays behind";
}

#ifdef TARNWICK_NATIVE
TEST(WriteSettings, ASymbolicLinkIsWrittenThroughToItsFileAndStaysALink) {
    ExeFolder exe;
    const fs::path target = fs::path(exe.ini).parent_path() / "synced.ini";
    WriteAll(target.string(), "[SYSTEM]\r\nTop=9\r\n");
    fs::create_symlink(target, exe.ini);
    WritePosition(exe.ini, 40, 41);
    EXPECT_TRUE(fs::is_symlink(exe.ini));
    EXPECT_EQ(ReadAll(target.string()), "[SYSTEM]\r\nTop=41\r\nLeft=40\r\n");
    EXPECT_EQ(exe.Files(), 2u);
}
#endif

TEST(ReadSettings, AFileInTheAnsiPageReadsAsBeforeAndSurvivesASaveAsUtf8) {
    ExeFolder exe;
    WriteAll(exe.ini,
             "[DBSYSTEM]\r\nCount=1\r\n[DATABASE]\r\nName0=Caf\xE9\r\n"
             "Filename0=C:\\Caf\xE9\\menu.txt\r\nKeyword0=CAF\xC9\r\n[SYSTEM]\r\nTop=5\r\n");
    TEntries entries;
    TSettings s;
    Load(exe.ini, entries, s);
    ASSERT_EQ(entries.Count(), 1);
    EXPECT_EQ(entries.At(0).Name, "Caf\u00E9");
    EXPECT_EQ(entries.At(0).Filename, "C:\\Caf\u00E9\\menu.txt");
    EXPECT_EQ(entries.At(0).Keyword, "CAF\u00C9");
    WriteDatabase(exe.ini, entries);
    EXPECT_NE(ReadAll(exe.ini).find("Name0=Caf\u00E9\r\n"), std::string::npos) << "now UTF-8";
    TEntries again;
    Load(exe.ini, again, s);
    EXPECT_EQ(again.At(0).Filename, entries.At(0).Filename);
    EXPECT_EQ(again.At(0).Keyword, entries.At(0).Keyword);
    EXPECT_EQ(s.Top, 5);
}

TEST(WriteDatabase, AFolderNamedInAnyScriptIsFoundByItsUtf8Path) {
    ExeFolder exe;
    const fs::path folder = fs::path(exe.ini).parent_path() / u8"\u30E6\u30CB \u30B3\u30FC\u30C9";
    fs::create_directory(folder);
    const std::u8string utf8 = (folder / "Tarnwick.ini").u8string();
    const std::string ini(utf8.begin(), utf8.end());
    // Placed there without our code, so that reading is tried before our writer made the file.
    WriteAll(exe.ini, "[SYSTEM]\r\nhKey=3075\r\n");
    fs::rename(exe.ini, folder / "Tarnwick.ini");
    TEntries entries;
    TSettings s;
    Load(ini, entries, s);
    EXPECT_EQ(s.hKey, 3075);

    WriteDatabase(ini, Database(2));
    const toolkit::FileReplacer previous = toolkit::SetFileReplacer(&FailingReplace);
    EXPECT_THROW(WriteDatabase(ini, Database(1)), toolkit::EIniFileException);
    toolkit::SetFileReplacer(previous);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1)
        << "the failed save's temporary file is removed again";
    Load(ini, entries, s);
    EXPECT_EQ(entries.Count(), 2);
    EXPECT_EQ(s.hKey, 3075);
}

TEST(History, IsReadFromADamagedSectionAndWrittenOnlyIntoAFileThatExists) {
    ExeFolder exe;
    WriteHistory(exe.ini, {"G CATS"});
    EXPECT_EQ(exe.Files(), 0u) << "nothing is created at exit";

    const std::string file = "[SYSTEM]\r\nRunTyped=1\r\n[HISTORY]\r\nCount=abc\r\nLine0=X\r\n";
    WriteAll(exe.ini, file);
    TEntries entries;
    TSettings s;
    Load(exe.ini, entries, s);
    EXPECT_TRUE(s.History);
    EXPECT_TRUE(s.RunTyped);
    EXPECT_TRUE(s.HistoryLines.empty()) << "an unreadable count reads none";
    WriteHistory(exe.ini, {});
    EXPECT_EQ(ReadAll(exe.ini), "[SYSTEM]\r\nRunTyped=1\r\n") << "no lines: the section goes";
    WriteHistory(exe.ini, {});
    EXPECT_EQ(ReadAll(exe.ini), "[SYSTEM]\r\nRunTyped=1\r\n");

    WriteAll(exe.ini, "[HISTORY]\r\nCount=2147483647\r\nLine0=G CATS\r\nLine2=  NOTE \r\n"
                      "[SYSTEM]\r\nLeft=5\r\n");
    Load(exe.ini, entries, s);
    EXPECT_EQ(s.HistoryLines, (std::vector<std::string>{"G CATS", "NOTE"}))
        << "a missing line is skipped, a huge count bounded";
    EXPECT_FALSE(s.RunTyped);

    WriteHistory(exe.ini, {" LEAD", "B"});
    EXPECT_EQ(ReadAll(exe.ini),
              "[SYSTEM]\r\nLeft=5\r\n[HISTORY]\r\nCount=2\r\nLine0=\" LEAD\"\r\nLine1=B\r\n")
        << "written afresh: no line of the longer history stays";
    Load(exe.ini, entries, s);
    EXPECT_EQ(s.HistoryLines, (std::vector<std::string>{" LEAD", "B"}));

    WriteAll(exe.ini, "[HISTORY]\r\nCount=1\r\nLine0=G\r\n[SYSTEM]\r\nHistory=0\r\n");
    Load(exe.ini, entries, s);
    EXPECT_FALSE(s.History);
    EXPECT_TRUE(s.HistoryLines.empty()) << "History=0 keeps none";
}

} // namespace

TEST(Theme, FollowsWindowsUnlessOneOrTwoIsStoredAndIsNeverWritten) {
    ExeFolder exe;
    TEntries entries;
    const struct {
        const char* Line;
        int Expected;
    } cases[] = {{"", 0},
                 {"Theme=1\r\n", 1},
                 {"Theme=2\r\n", 2},
                 {"Theme=0\r\n", 0},
                 {"Theme=3\r\n", 0},
                 {"Theme=-1\r\n", 0},
                 {"Theme=dark\r\n", 0},
                 {"Theme=\r\n", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Line);
        const std::string file = std::string("[SYSTEM]\r\n") + c.Line;
        WriteAll(exe.ini, file);
        TSettings s;
        s.Theme = 7;
        Load(exe.ini, entries, s);
        EXPECT_EQ(s.Theme, c.Expected);
        // The configuration window's OK keeps a hand-set choice as it stands.
        WriteOptions(exe.ini, 255, true, true, true, 0);
        EXPECT_NE(ReadAll(exe.ini).find(file), std::string::npos);
    }
}
