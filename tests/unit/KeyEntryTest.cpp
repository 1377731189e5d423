#include "app/KeyEntry.h"
#include "gen/Gen_func.h"
#include "support/Recorder.h"

#include <gtest/gtest.h>

namespace {

using testing_support::Recorder;

toolkit::WindowHandle const kWindow = reinterpret_cast<toolkit::WindowHandle>(0x1234);

class KeyEntry : public ::testing::Test {
protected:
    void Add(const std::string& keyword, const std::string& file, const std::string& params = "",
             const std::string& dir = "") {
        entries.Append({"name", file, dir, params, keyword});
    }

    // Types one key into `line` the way the input line does: the handler first, then the edit
    // box inserts what was not swallowed (backspace deletes). Returns whether it hid.
    bool Type(char key) {
        char k = key;
        const bool hide = CommandKeyPress(k, line, options, entries, system, kWindow);
        if (k == 8) {
            if (!line.empty())
                line.pop_back();
        } else if (k != 0) {
            line += static_cast<char>(std::toupper(static_cast<unsigned char>(k)));
        }
        lastKey = k;
        return hide;
    }

    bool TypeAll(const std::string& text) {
        bool hid = false;
        for (char c : text)
            hid = Type(c) || hid;
        return hid;
    }

    std::vector<std::string> Launched() const {
        std::vector<std::string> files;
        for (const auto& c : system.Only("execute"))
            files.push_back(c.Args[1]);
        return files;
    }

    TEntries entries;
    TCommandOptions options;
    Recorder system;
    std::string line;
    char lastKey = 0;
};

TEST_F(KeyEntry, LaunchCallCarriesEveryArgumentAndBeepsFirst) {
    Add("note", "C:\\Windows\\notepad.exe", "a.txt", "C:\\Docs");
    options.NoEnter = false;
    EXPECT_FALSE(TypeAll("note"));
    EXPECT_TRUE(system.Calls.empty()) << "without NoEnter nothing launches before Enter";
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(lastKey, 0) << "Enter is swallowed";
    ASSERT_EQ(system.Calls.size(), 2u);
    EXPECT_EQ(system.Lines()[0], "beep 0");
    const auto& call = system.Calls[1];
    EXPECT_EQ(call.What, "execute");
    EXPECT_EQ(call.Owner, kWindow);
    EXPECT_EQ(call.Args,
              (std::vector<std::string>{"open", "C:\\Windows\\notepad.exe", "a.txt", "C:\\Docs"}));
    EXPECT_EQ(call.Number, 1) << "SW_SHOWNORMAL";
}

TEST_F(KeyEntry, EnterOnEmptyLineAndEmptyKeywordsLaunchNothing) {
    Add("", "empty-keyword.exe");
    EXPECT_FALSE(Type(kKeyEnter));
    EXPECT_EQ(lastKey, 0);
    EXPECT_TRUE(system.Calls.empty());
    options.NoEnter = true;
    EXPECT_FALSE(TypeAll("x\b\b"));
    EXPECT_TRUE(system.Calls.empty());
}

TEST_F(KeyEntry, KeywordsMatchWholeAndCaseBlind) {
    Add("NOTE", "note.exe");
    Add("mail", "mail1.exe");
    Add("MAIL", "mail2.exe");
    Add("sp ", "space.exe");
    options.NoEnter = false;

    TypeAll("not");
    EXPECT_FALSE(Type(kKeyEnter)) << "NOT is no prefix match of NOTE";
    line.clear();
    TypeAll("nOtE");
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(Launched(), (std::vector<std::string>{"note.exe"}));

    system.Calls.clear();
    line = "mail";
    EXPECT_TRUE(Type(kKeyEnter)) << "both case variants launch, in list order, one hide";
    EXPECT_EQ(system.Lines(), (std::vector<std::string>{"beep 0", "execute open|mail1.exe|||1",
                                                        "beep 0", "execute open|mail2.exe|||1"}));

    system.Calls.clear();
    line = "SP";
    EXPECT_FALSE(Type(kKeyEnter)) << "a trailing blank must be typed too";
    line = "SP ";
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(Launched(), (std::vector<std::string>{"space.exe"}));
}

TEST_F(KeyEntry, NoEnterLaunchesOnTheCompletingKey) {
    Add("NOTE", "note.exe");
    Add("NOTES", "notes.exe");
    options.NoEnter = true;
    EXPECT_FALSE(TypeAll("NOT"));
    EXPECT_TRUE(Type('e'));
    EXPECT_EQ(lastKey, 'e') << "the completing character is not swallowed";
    EXPECT_EQ(line, "NOTE");
    EXPECT_EQ(Launched(), (std::vector<std::string>{"note.exe"}))
        << "NOTES cannot be reached: NOTE launches first";

    // Enter still launches, with the line as it stands.
    system.Calls.clear();
    line = "NOTES";
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(Launched(), (std::vector<std::string>{"notes.exe"}));
}

TEST_F(KeyEntry, BackspaceAndSelectionMatchTheOldLinePlusTheKey) {
    Add("NOTE", "note.exe");
    options.NoEnter = true;
    line = "NOTEX";
    EXPECT_FALSE(Type(8)) << "old line + char 8 never equals a keyword";
    EXPECT_EQ(line, "NOTE");
    EXPECT_TRUE(system.Calls.empty());

    // With "OTE" of "NOTE" selected, typing e is matched as "NOTEE", not as "NE".
    line = "NOT";
    char k = 'e';
    EXPECT_TRUE(CommandKeyPress(k, line, options, entries, system, kWindow));
    line = "XYZ";
    k = 'E';
    system.Calls.clear();
    EXPECT_FALSE(CommandKeyPress(k, "NOTE", options, entries, system, kWindow));
}

TEST_F(KeyEntry, AccentedSmallLettersMatchTheirCapitals) {
    Add("\xC9T\xC9", "ete.exe");
    options.NoEnter = true;
    EXPECT_TRUE(TypeAll("\xE9t\xE9"));
    EXPECT_EQ(Launched(), (std::vector<std::string>{"ete.exe"}));
}

TEST_F(KeyEntry, AddressPrefixesAtTheirExactLengths) {
    options.NoEnter = false;
    struct Case {
        const char* line;
        bool opened;
    } cases[] = {
        {"www.", false},        {"www.x", true},   {"http:", false},   {"http:/", true},
        {"ftp://", false},      {"ftp://a", true}, {"mailto:", false}, {"mailto:a", true},
        {"https://a.b", false}, {"httpx:", false}, {"xwww.a", false},  {"wwwa", false},
    };
    for (const auto& c : cases) {
        system.Calls.clear();
        line = c.line;
        EXPECT_EQ(Type(kKeyEnter), c.opened) << c.line;
        EXPECT_EQ(Launched().size(), c.opened ? 1u : 0u) << c.line;
        if (c.opened) {
            const auto call = system.Only("execute").at(0);
            EXPECT_EQ(call.Args, (std::vector<std::string>{"open", UpperCaseText(c.line), "", ""}));
        }
    }
}

TEST_F(KeyEntry, AddressesNeedEnterAndTheWebOption) {
    options.NoEnter = true;
    EXPECT_FALSE(TypeAll("www.example.com")) << "typing an address never opens it";
    EXPECT_TRUE(system.Calls.empty());
    options.Web = false;
    EXPECT_FALSE(Type(kKeyEnter));
    EXPECT_TRUE(system.Calls.empty());
    options.Web = true;
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(Launched(), (std::vector<std::string>{"WWW.EXAMPLE.COM"}));
}

TEST_F(KeyEntry, WebKeywordLaunchesEntryAndAddressWithTwoBeeps) {
    Add("www.home", "home.exe");
    options.NoEnter = false;
    line = "www.home";
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(system.Lines(), (std::vector<std::string>{"beep 0", "execute open|home.exe|||1",
                                                        "beep 0", "execute open|WWW.HOME|||1"}));
    // With Web off only the entry launches; with Sound off nothing beeps.
    system.Calls.clear();
    options.Web = false;
    options.Sound = false;
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(system.Lines(), (std::vector<std::string>{"execute open|home.exe|||1"}));
}

TEST_F(KeyEntry, EscapeHidesWithoutLaunching) {
    Add("NOTE", "note.exe");
    options.NoEnter = true;
    line = "NOTE";
    char k = kKeyEscape;
    EXPECT_TRUE(CommandKeyPress(k, line, options, entries, system, kWindow));
    EXPECT_EQ(k, 0);
    EXPECT_TRUE(system.Calls.empty());
}

TEST_F(KeyEntry, OrdinaryKeysPassThroughWhenNothingMatches) {
    Add("NOTE", "note.exe");
    options.NoEnter = true;
    for (char c : std::string("abc\t\x01 9")) {
        char k = c;
        EXPECT_FALSE(CommandKeyPress(k, "", options, entries, system, kWindow));
        EXPECT_EQ(k, c);
    }
}

} // namespace
