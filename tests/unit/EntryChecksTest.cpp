#include "app/EntryChecks.h"
#include "support/Recorder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using testing_support::Recorder;

std::string Describe(const std::optional<TKeywordClash>& clash) {
    return clash ? clash->Shorter + " hides " + clash->Longer : "none";
}

TEST(KeywordClash, APrefixHidesTheLongerKeywordOnlyWhileTypingLaunches) {
    Recorder system;
    const TEntries::TCaseMap upper = [&](const std::string& s) { return system.UpperCase(s); };
    TEntries entries;
    for (const char* keyword : {"note", "NOTES", "NOTE", "CALC", "", "WEB", "WEBSITE", "MAILBOX"})
        entries.Append({"n", "x.exe", "", "", keyword});
    entries.At(5).Filename = "https://example.com/?q=$W$"; // WEB waits for Enter and text
    entries.Append({"n", "mail.exe", "", "$w$", "MAIL"});  // so does this MAIL
    const auto clash = [&](int k, bool noEnter = true) {
        return Describe(FindKeywordClash(entries, k, noEnter, upper));
    };

    EXPECT_EQ(clash(1), "NOTE hides NOTES") << "the longer one confirmed";
    EXPECT_EQ(clash(0), "NOTE hides NOTES") << "the shorter one confirmed, in any letter case";
    EXPECT_EQ(clash(2), "NOTE hides NOTES") << "an exact duplicate is no clash, the prefix is";
    EXPECT_EQ(clash(1, false), "none") << "with Enter needed, NOTES is typed to its end";
    EXPECT_EQ(clash(3), "none");
    EXPECT_EQ(clash(4), "none") << "an empty keyword is never matched";
    EXPECT_EQ(clash(6), "none") << "WEB takes text: typing it alone launches nothing";
    EXPECT_EQ(clash(7), "none");

    entries.At(0).Params = "$W$";
    EXPECT_EQ(clash(1), "NOTE hides NOTES") << "one NOTE waits for text, the other does not";
    entries.At(2).Keyword = "OTHER";
    EXPECT_EQ(clash(1), "none");
    entries.Append({"n", "mail2.exe", "", "", "MAIL"});
    EXPECT_EQ(clash(7), "MAIL hides MAILBOX");
    EXPECT_EQ(Describe(FindKeywordClash(entries, 99, true, upper)), "none");
}

TEST(EntryTargets, OnlyPathsOnADriveLetterAreLookedForAsTheLaunchSeesThem) {
    Recorder system;
    system.Environment["PROGRAMFILES"] = "C:\\Program Files";
    TCommandOptions options;
    options.ExeFolder = "D:\\Tools\\\\";
    struct Case {
        std::string Stored, Looked, Location;
    };
    const std::vector<Case> cases = {
        {"C:\\Windows\\notepad.exe", "C:\\Windows\\notepad.exe", "C:\\Windows\\notepad.exe"},
        {"c:/data/", "c:/data/", "c:/data"},
        {"%ProgramFiles%\\App\\app.exe", "C:\\Program Files\\App\\app.exe",
         "C:\\Program Files\\App\\app.exe"},
        {".\\run.bat", "D:\\Tools\\run.bat", "D:\\Tools\\run.bat"},
        {"..\\other\\", "D:\\other\\", "D:\\other"},
        {"\"C:\\My Apps\\a.exe\"", "C:\\My Apps\\a.exe", "C:\\My Apps\\a.exe"},
        {"C:\\", "C:\\", "C:\\"},
        {"\\\\server\\share\\tool.exe", "", "\\\\server\\share\\tool.exe"},
        {"notepad.exe", "", ""},
        {"bin\\tool.exe", "", ""},
        {"https://example.com/", "", ""},
        {"mailto:someone@example.com", "", ""},
        {"C:", "", ""},
        {"C:\\Search\\$W$.txt", "", ""},
        {"%UNDEFINED%\\x.exe", "", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        const TDBItem entry{"n", c.Stored, c.Stored, "", "K"};
        const TEntryTargets targets = EntryTargets(entry, options, system);
        EXPECT_EQ(targets.File, c.Looked) << c.Stored;
        EXPECT_EQ(targets.Folder, c.Looked) << c.Stored;
        EXPECT_EQ(EntryFileLocation(entry, options, system), c.Location) << c.Stored;
    }
}

TEST(DroppedEntry, NamedAfterTheFileWithoutItsExtensionAndStartingInItsFolder) {
    const auto fields = [](const TDBItem& e) {
        return std::vector<std::string>{e.Name, e.Filename, e.Directory, e.Params, e.Keyword};
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(fields(DroppedEntry("C:\\Tools\\Run Me.exe", false)),
              (V{"Run Me", "C:\\Tools\\Run Me.exe", "C:\\Tools\\", "", ""}));
    EXPECT_EQ(fields(DroppedEntry("C:\\Links\\Notepad.lnk", false)),
              (V{"Notepad", "C:\\Links\\Notepad.lnk", "C:\\Links\\", "", ""}));
    EXPECT_EQ(fields(DroppedEntry("C:\\a.b\\archive.tar.gz", false))[0], "archive.tar");
    EXPECT_EQ(fields(DroppedEntry("C:\\Users\\.profile", false))[0], ".profile");
    EXPECT_EQ(fields(DroppedEntry("C:\\Work\\v1.2", true)),
              (V{"v1.2", "C:\\Work\\v1.2", "", "", ""}));
    EXPECT_EQ(fields(DroppedEntry("E:\\", true)), (V{"E:", "E:\\", "", "", ""}));
}

} // namespace
