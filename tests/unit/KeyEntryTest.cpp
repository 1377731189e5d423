#include "app/KeyEntry.h"
#include "gen/Gen_func.h"
#include "support/Recorder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

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

TEST_F(KeyEntry, AnEntryMarkedToRunAsAdministratorAsksForItWhicheverKeyLaunchedIt) {
    Add("note", "note.exe");
    entries.At(0).RunAs = true;
    Add("note", "plain.exe");
    options.NoEnter = true;
    line = "NOT";
    EXPECT_TRUE(Type('e'));
    line = "NOTE";
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(system.Lines(), (std::vector<std::string>{"tryexecute runas|note.exe|||1", "beep 0",
                                                        "beep 0", "execute open|plain.exe|||1",
                                                        "tryexecute runas|note.exe|||1", "beep 0",
                                                        "beep 0", "execute open|plain.exe|||1"}));
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
    // UTF-8 throughout: é arrives as one key of two bytes, the line holds what the box shows.
    Add("\xC3\x89T\xC3\x89", "ete.exe");
    Add("z\xC3\xBC", "zu.exe"); // a keyword stored in small letters
    options.NoEnter = true;
    for (const std::string key : {"\xC3\xA9", "t"}) {
        std::string k = key;
        EXPECT_FALSE(CommandKeyPress(k, line, options, entries, system, kWindow));
        EXPECT_EQ(k, key) << "an ordinary character is not swallowed";
        line += system.UpperCase(k);
    }
    std::string k = "\xC3\xA9";
    EXPECT_TRUE(CommandKeyPress(k, line, options, entries, system, kWindow));
    line = "Z";
    k = "\xC3\xBC";
    EXPECT_TRUE(CommandKeyPress(k, line, options, entries, system, kWindow));
    EXPECT_EQ(Launched(), (std::vector<std::string>{"ete.exe", "zu.exe"}));
}

TEST_F(KeyEntry, KeywordsAreUpperCasedOnceUntilTheyChange) {
    // Counts the keywords the seam is asked to upper-case.
    struct Counting : Recorder {
        std::string UpperCase(const std::string& text) override {
            ++Asked[text];
            return Recorder::UpperCase(text);
        }
        std::map<std::string, int> Asked;
    } counting;
    Add("note", "note.exe");
    Add("mail", "mail.exe");
    options.NoEnter = true;
    for (const char* typed : {"n", "no", "not"}) {
        char k = typed[std::strlen(typed) - 1];
        (void)CommandKeyPress(k, std::string(typed, std::strlen(typed) - 1), options, entries,
                              counting, kWindow);
    }
    EXPECT_EQ(counting.Asked["note"], 1);
    EXPECT_EQ(counting.Asked["mail"], 1);
    entries.Replace(0, {"name", "notes.exe", "", "", "notes"});
    char k = 's';
    EXPECT_TRUE(CommandKeyPress(k, "NOTE", options, entries, counting, kWindow));
    EXPECT_EQ(counting.Asked["notes"], 1) << "a changed keyword is upper-cased anew";
    EXPECT_EQ(counting.Asked["mail"], 1);
    EXPECT_EQ(counting.Only("execute").back().Args[1], "notes.exe");
}

TEST_F(KeyEntry, TextAfterAKeywordWhoseCapitalsAreShorterStartsAfterItsBlank) {
    // Upper-casing may change a character's length: a dotless i becomes I.
    struct Dotless : Recorder {
        std::string UpperCase(const std::string& text) override {
            std::string upper = Recorder::UpperCase(text);
            for (std::size_t at; (at = upper.find("\xC4\xB1")) != std::string::npos;)
                upper.replace(at, 2, "I");
            return upper;
        }
    } dotless;
    Add("s\xC4\xB1 x", "ask.exe", "--q $W$");
    options.NoEnter = false;
    char k = kKeyEnter;
    EXPECT_TRUE(CommandKeyPress(k, "S\xC4\xB1 X \xC4\xB1 y", options, entries, dotless, kWindow));
    ASSERT_EQ(dotless.Only("execute").size(), 1u);
    EXPECT_EQ(dotless.Only("execute")[0].Args[2], "--q \xC4\xB1 y");
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
            // A "www." line carries no scheme: without one the shell would look for a file.
            const std::string scheme = c.line[0] == 'w' ? "http://" : "";
            EXPECT_EQ(call.Args,
                      (std::vector<std::string>{"open", scheme + UpperCaseText(c.line), "", ""}));
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
    EXPECT_EQ(Launched(), (std::vector<std::string>{"http://WWW.EXAMPLE.COM"}));
}

TEST_F(KeyEntry, WebKeywordLaunchesEntryAndAddressWithTwoBeeps) {
    Add("www.home", "home.exe");
    options.NoEnter = false;
    line = "www.home";
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(system.Lines(),
              (std::vector<std::string>{"beep 0", "execute open|home.exe|||1", "beep 0",
                                        "execute open|http://WWW.HOME|||1"}));
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

// ---- Text after a keyword, environment variables, paths from the exe's folder ----------------

std::vector<std::vector<std::string>> ExecuteArgs(const Recorder& system) {
    std::vector<std::vector<std::string>> args;
    for (const auto& c : system.Only("execute"))
        args.push_back({c.Args[1], c.Args[2], c.Args[3]});
    return args;
}

TEST_F(KeyEntry, TextAfterAKeywordReplacesEveryPlaceholderOnEnter) {
    Add("g", "https://search.example/?q=$W$&again=$w$", "--from $W$");
    Add("G", "C:\\Notes\\$w$.txt", "", "$W$"); // a Directory placeholder is not one
    Add("g", "plain.exe");                     // takes no text: only the bare keyword
    Add("G X", "gx.exe");                      // a keyword with a blank, matched whole
    Add("go", "go-$W$.exe");
    options.NoEnter = false;

    line = "G a b&\xC3\x89~-._";
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(lastKey, 0);
    const std::string encoded = "a%20b%26%C3%89~-._"; // UTF-8, blank as %20
    EXPECT_EQ(ExecuteArgs(system),
              (std::vector<std::vector<std::string>>{
                  {"https://search.example/?q=" + encoded + "&again=" + encoded,
                   "--from a b&\xC3\x89~-._", ""},
                  {"C:\\Notes\\a b&\xC3\x89~-._.txt", "", "$W$"}}));

    // The keyword with a blank is matched whole, and the shorter one takes the rest as text.
    system.Calls.clear();
    line = "G X";
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(Launched(), (std::vector<std::string>{"https://search.example/?q=X&again=X",
                                                    "C:\\Notes\\X.txt", "gx.exe"}));

    // The bare keyword: the text entries with nothing in place, the plain one as ever.
    system.Calls.clear();
    line = "g";
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(Launched(), (std::vector<std::string>{"https://search.example/?q=&again=",
                                                    "C:\\Notes\\.txt", "plain.exe"}));
    EXPECT_EQ(ExecuteArgs(system)[0][1], "--from ");

    // A blank with nothing after it, two blanks' worth of keyword, or no blank: no text form.
    for (const char* other : {"G ", "GO", "GOX", "GXX"}) {
        system.Calls.clear();
        line = other;
        const bool expectGo = std::string(other) == "GO";
        EXPECT_EQ(Type(kKeyEnter), expectGo) << other;
        EXPECT_EQ(Launched(),
                  expectGo ? std::vector<std::string>{"go-.exe"} : std::vector<std::string>{})
            << other;
    }
    // A text that itself holds a placeholder goes in as it stands, once.
    system.Calls.clear();
    line = "GO $W$";
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(Launched(), (std::vector<std::string>{"go-$W$.exe"}));
}

TEST_F(KeyEntry, WithNoEnterATextEntryWaitsForEnterWhileOthersLaunchOnTheKey) {
    Add("NOTE", "notes.exe", "$W$");
    options.NoEnter = true;
    EXPECT_FALSE(TypeAll("note buy milk")) << "typing alone never launches it";
    EXPECT_TRUE(system.Calls.empty());
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(system.Lines(),
              (std::vector<std::string>{"beep 0", "execute open|notes.exe|BUY MILK||1"}));

    // A plain entry with the same keyword launches on the completing key, the text entry not.
    Add("note", "plain.exe");
    system.Calls.clear();
    line.clear();
    EXPECT_TRUE(TypeAll("note"));
    EXPECT_EQ(Launched(), (std::vector<std::string>{"plain.exe"}));
    EXPECT_EQ(lastKey, 'e');
}

TEST_F(KeyEntry, TextEntriesAndTypedAddressesLaunchOnOneEnter) {
    Add("WWW.X", "site.exe", "$W$");
    options.NoEnter = false;
    line = "WWW.X Y";
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(system.Lines(),
              (std::vector<std::string>{"beep 0", "execute open|site.exe|Y||1", "beep 0",
                                        "execute open|http://WWW.X Y|||1"}));
}

TEST_F(KeyEntry, EnvironmentVariablesOfTheStoredFieldsAreExpandedButNeverTheTypedText) {
    system.Environment = {{"TOOLS", "C:\\Tools"},
                          {"USERPROFILE", "C:\\Users\\ann"},
                          {"SEARCH", "https://s.example/?q="}};
    Add("ED", "%tools%\\ed.exe", "%UNDEFINED% 100% %Tools% $W$", "%USERPROFILE%\\Documents");
    Add("S", "%SEARCH%$W$");
    options.NoEnter = false;

    line = "ED %TOOLS% .\\X";
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(ExecuteArgs(system),
              (std::vector<std::vector<std::string>>{{"C:\\Tools\\ed.exe",
                                                      "%UNDEFINED% 100% C:\\Tools %TOOLS% .\\X",
                                                      "C:\\Users\\ann\\Documents"}}));
    // The stored entry is untouched, and the platform saw only stored fields.
    EXPECT_EQ(entries.At(0).Filename, "%tools%\\ed.exe");
    for (const auto& asked : system.Expansions)
        EXPECT_EQ(asked.find("%TOOLS% .\\X"), std::string::npos) << asked;

    // An address that comes from a variable takes the text percent-encoded.
    system.Calls.clear();
    line = "S %PATH%";
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(Launched(), (std::vector<std::string>{"https://s.example/?q=%25PATH%25"}));

    // A typed address is data as well.
    system.Calls.clear();
    system.Expansions.clear();
    line = "http://%SEARCH%";
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(Launched(), (std::vector<std::string>{"HTTP://%SEARCH%"}));
    EXPECT_TRUE(system.Expansions.empty());
}

TEST_F(KeyEntry, OnlyWebAndFtpFilenamesTakeTheTextEncoded) {
    Add("K", "HTTP://a/$W$");
    Add("K", "Ftp:b/$W$");
    Add("K", "mailto:$W$");
    Add("K", "$W$");
    Add("K", "https:$W$");
    options.NoEnter = false;
    line = "K A B";
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(Launched(), (std::vector<std::string>{"HTTP://a/A%20B", "Ftp:b/A%20B", "mailto:A B",
                                                    "A B", "https:A%20B"}));
}

TEST_F(KeyEntry, DotPathsAreTakenFromTheExeFolder) {
    options.ExeFolder = "E:\\Stick\\Tools\\\\"; // as the command window keeps it
    options.NoEnter = false;
    system.Environment = {{"UP", ".."}};
    struct Case {
        const char* file;
        const char* dir;
        const char* wantFile;
        const char* wantDir;
    } cases[] = {
        {".\\app.exe", "", "E:\\Stick\\Tools\\app.exe", ""},
        {"..\\Other\\b.exe", ".\\", "E:\\Stick\\Other\\b.exe", "E:\\Stick\\Tools\\"},
        {"./sub/c.exe", "../data", "E:\\Stick\\Tools\\sub/c.exe", "E:\\Stick\\data"},
        {".\\..\\.\\d.exe", "..\\..\\..\\..\\x", "E:\\Stick\\d.exe", "E:\\x"},
        {"%UP%\\e.exe", "", "E:\\Stick\\e.exe", ""}, // expanded first, then resolved
        {"...\\f.exe", ".hidden\\g", "...\\f.exe", ".hidden\\g"},
        {"C:\\abs\\.\\h.exe", "notes\\..\\x", "C:\\abs\\.\\h.exe", "notes\\..\\x"},
        {"..", ".", "..", "."},
    };
    for (const auto& c : cases) {
        entries = TEntries();
        system.Calls.clear();
        Add("P", c.file, "", c.dir);
        line = "P";
        EXPECT_TRUE(Type(kKeyEnter)) << c.file;
        EXPECT_EQ(ExecuteArgs(system),
                  (std::vector<std::vector<std::string>>{{c.wantFile, "", c.wantDir}}))
            << c.file;
    }

    // A network folder keeps its share; a typed path goes in as typed.
    options.ExeFolder = "\\\\srv\\share\\t\\\\";
    entries = TEntries();
    system.Calls.clear();
    Add("P", "..\\..\\x.exe", "$W$");
    line = "P .\\Y";
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(ExecuteArgs(system),
              (std::vector<std::vector<std::string>>{{"\\\\srv\\share\\x.exe", ".\\Y", ""}}));

    // Without a known folder the path goes out as written.
    options.ExeFolder.clear();
    system.Calls.clear();
    line = "P";
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(Launched(), (std::vector<std::string>{"..\\..\\x.exe"}));
}

TEST_F(KeyEntry, ElevatedEnterAsksForAdministratorForEverythingEnterLaunches) {
    Add("note", "note.exe");
    options.NoEnter = false;
    options.Elevate = true;
    line = "note";
    EXPECT_TRUE(Type(kKeyEnter));
    line = "www.x.example";
    EXPECT_TRUE(Type(kKeyEnter));
    options.RunTyped = true;
    system.ExistingPaths = {"C:\\Windows\\System32\\cmd.EXE"};
    line = "cmd /k";
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(system.Lines(),
              (std::vector<std::string>{"tryexecute runas|note.exe|||1", "beep 0", "beep 0",
                                        "execute open|http://WWW.X.EXAMPLE|||1",
                                        "tryexecute runas|C:\\Windows\\System32\\cmd.EXE|/k||1",
                                        "beep 0"}));
}

TEST_F(KeyEntry, ALineThatLaunchedNothingRunsAsACommandOnlyWhenAskedAndOnlyOnEnter) {
    Add("note", "note.exe");
    options.NoEnter = true;
    line = "NOTEPAD C:\\A B.TXT";
    EXPECT_FALSE(Type(kKeyEnter)) << "off by default";
    EXPECT_TRUE(system.Calls.empty());

    options.RunTyped = true;
    system.Environment = {{"DOCS", "C:\\My Docs"}};
    system.ExistingPaths = {"C:\\Program Files\\Tool", "C:\\My Docs\\a b.txt",
                            "C:\\Windows\\System32\\NOTEPAD.EXE", "C:\\Windows\\System32\\CMD.EXE"};
    std::string launched = "before";
    const auto enter = [&](const std::string& typed) {
        std::string key(1, kKeyEnter);
        return CommandKeyPress(key, typed, options, entries, system, kWindow, &launched);
    };
    EXPECT_FALSE(Type('x')) << "typing runs nothing";
    EXPECT_TRUE(enter("  NOTEPAD   C:\\A B.TXT "));
    EXPECT_EQ(launched, "  NOTEPAD   C:\\A B.TXT ") << "the line as it launched";
    EXPECT_TRUE(enter("C:\\Program Files\\Tool"));        // an existing path needs no quotes
    EXPECT_TRUE(enter("%DOCS%\\a b.txt"));                // and may come from a variable
    EXPECT_TRUE(enter("\"C:\\Program Files\\x.exe\"-q")); // a quoted program
    EXPECT_TRUE(enter("\"%DOCS%\\x.exe"));                // a quote left open
    EXPECT_TRUE(enter("note"));                           // an entry: no command
    EXPECT_EQ(system.Lines(),
              (std::vector<std::string>{
                  "tryexecute open|C:\\Windows\\System32\\NOTEPAD.EXE|C:\\A B.TXT||1", "beep 0",
                  "tryexecute open|C:\\Program Files\\Tool|||1", "beep 0",
                  "tryexecute open|C:\\My Docs\\a b.txt|||1", "beep 0",
                  "tryexecute open|C:\\Program Files\\x.exe|-q||1", "beep 0",
                  "tryexecute open|C:\\My Docs\\x.exe|||1", "beep 0", "beep 0",
                  "execute open|note.exe|||1"}));

    // Nothing could be started: the error sound, and the window stays. A refused consent prompt:
    // nothing at all. Neither is a line that launched.
    system.Calls.clear();
    launched = "before";
    system.TryExecuteAnswers = {toolkit::ExecuteOutcome::Failed, toolkit::ExecuteOutcome::Declined};
    EXPECT_FALSE(enter("C:\\NOSUCHPROGRAM"));
    EXPECT_FALSE(enter("CMD"));
    EXPECT_FALSE(enter("   ")) << "a line of blanks runs nothing";
    EXPECT_FALSE(enter("\"\" X"));
    EXPECT_FALSE(enter("NOSUCHPROGRAM")) << "a bare name found nowhere goes nowhere";
    EXPECT_EQ(launched, "before");
    EXPECT_EQ(system.Lines(),
              (std::vector<std::string>{"tryexecute open|C:\\NOSUCHPROGRAM|||1", "beep 16",
                                        "tryexecute open|C:\\Windows\\System32\\CMD.EXE|||1",
                                        "beep 16", "beep 16"}));
}

TEST_F(KeyEntry, TheClipboardGoesInAtLaunchWhereAnEntryAsksForIt) {
    Add("cl", "https://t.example/?q=$c$&w=$W$", "--text \"$C$\"");
    Add("cp", "paste.exe", "$C$");
    Add("ok", "plain.exe");
    options.NoEnter = true;
    const std::string text = "\xC3\x9C"
                             "ber \xE6\x97\xA5\xE6\x9C\xAC"; // Über 日本
    system.Clipboard = " \t\r\n  " + text + "\t\r\nsecond line";
    EXPECT_TRUE(TypeAll("cp")) << "an entry with only the clipboard completes as any other";
    line = "CL $C$";
    EXPECT_TRUE(Type(kKeyEnter));
    line.clear();
    EXPECT_TRUE(TypeAll("ok"));
    EXPECT_EQ(ExecuteArgs(system),
              (std::vector<std::vector<std::string>>{
                  {"paste.exe", text, ""},
                  {"https://t.example/?q=%C3%9Cber%20%E6%97%A5%E6%9C%AC&w=%24C%24",
                   "--text \"" + text + "\"", ""},
                  {"plain.exe", "", ""}}));
    EXPECT_EQ(system.Only("clipboard").size(), 2u) << "read only where an entry asks for it";

    system.Calls.clear();
    system.Clipboard = " \r\n\t";
    line = "C";
    EXPECT_TRUE(Type('p'));
    EXPECT_EQ(ExecuteArgs(system)[0][1], "") << "nothing usable: empty";
}

// The exe's folder is the current one, and a portable copy leaves it writable: whatever lies there
// must not answer a bare name.
TEST_F(KeyEntry, ATypedBareNameIsFoundWithoutTheCurrentFolder) {
    options.NoEnter = false;
    options.RunTyped = true;
    options.Elevate = true;
    options.ExeFolder = "C:\\Tools\\";
    system.ExistingPaths = {"C:\\Tools\\CMD.BAT", "C:\\Tools\\cmd.COM", "C:\\Tools\\cmd.lnk",
                            "C:\\Windows\\System32\\cmd.EXE"};
    line = "cmd";
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(system.Only("tryexecute")[0].Args,
              (std::vector<std::string>{"runas", "C:\\Windows\\System32\\cmd.EXE", "", ""}));

    // App Paths first, then the system and Windows folders, then the whole folders of PATH with
    // PATHEXT; a relative PATH folder brings the current folder back, so it does not count.
    options.Elevate = false;
    system.Calls.clear();
    system.RegisteredPrograms = {{"word", "C:\\Office\\WINWORD.EXE"},
                                 {"gone", "C:\\Old\\gone.exe"}};
    system.Environment = {{"PATH", ".;\"C:\\Bin\\\";relative\\bin;C:\\Py"},
                          {"PATHEXT", ".PY;.CMD"}};
    system.ExistingPaths = {
        "C:\\Office\\WINWORD.EXE", ".\\tool.CMD",      "relative\\bin\\tool.CMD",
        "C:\\Bin\\tool.CMD",       "C:\\Py\\tool.PY",  "C:\\Windows\\hh.PY",
        "C:\\Py\\notes.txt",       "C:\\Py\\gone.CMD", "tool.bat",
        "C:\\Tools\\run me.bat"};
    for (const char* typed : {"word x", "tool", "hh", "notes.txt", "gone", ".\\tool -a", "tool.bat",
                              "C:\\Tools\\run me.bat", "ghost", ".."}) {
        std::string key(1, kKeyEnter);
        (void)CommandKeyPress(key, typed, options, entries, system, kWindow);
    }
    EXPECT_EQ(system.Lines(),
              (std::vector<std::string>{
                  "tryexecute open|C:\\Office\\WINWORD.EXE|x||1", "beep 0",
                  "tryexecute open|C:\\Bin\\tool.CMD|||1", "beep 0",
                  "tryexecute open|C:\\Windows\\hh.PY|||1", "beep 0",
                  "tryexecute open|C:\\Py\\notes.txt|||1", "beep 0",
                  "tryexecute open|C:\\Py\\gone.CMD|||1", "beep 0", "tryexecute open|.\\tool|-a||1",
                  "beep 0",  // the current folder, as typed
                  "beep 16", // tool.bat: a relative whole line is no path, and no PATH has it
                  "tryexecute open|C:\\Tools\\run me.bat|||1", "beep 0", "beep 16",
                  "tryexecute open|..|||1", "beep 0"}));
    EXPECT_TRUE(IsBareName("cmd.exe"));
    EXPECT_FALSE(IsBareName("C:cmd"));
    EXPECT_FALSE(IsBareName("sub/cmd"));
    EXPECT_TRUE(IsAbsolutePath("\\\\srv\\share\\x"));
    EXPECT_FALSE(IsAbsolutePath("\\x"));
    EXPECT_FALSE(IsAbsolutePath("1:\\x"));
}

TEST_F(KeyEntry, AClipboardLineWithAQuoteNeverLeavesTheEntrysQuotes) {
    Add("c", "cmd.exe", "/c tool \"$C$\"");
    Add("w", "https://s.example/?q=$C$");
    Add("p", "https://s.example/", "$c$");
    Add("t", "cmd.exe", "/c tool \"$W$\"");
    options.NoEnter = true;
    system.Clipboard = "a\" & calc \"";
    std::string launched = "before";
    for (const char* typed : {"C", "P"}) {
        std::string key(1, kKeyEnter);
        EXPECT_FALSE(CommandKeyPress(key, typed, options, entries, system, kWindow, &launched))
            << typed;
    }
    EXPECT_EQ(launched, "before");
    EXPECT_EQ(system.Lines(),
              (std::vector<std::string>{"clipboard", "beep 16", "clipboard", "beep 16"}));

    // Encoded into a web address it is harmless; typed text is the user's own.
    system.Calls.clear();
    line = "W";
    EXPECT_TRUE(Type(kKeyEnter));
    line = "T a\" & b";
    EXPECT_TRUE(Type(kKeyEnter));
    EXPECT_EQ(Launched(), (std::vector<std::string>{"https://s.example/?q=a%22%20%26%20calc%20%22",
                                                    "cmd.exe"}));
    EXPECT_EQ(system.Only("execute")[1].Args[2], "/c tool \"a\" & b\"");
    EXPECT_TRUE(ClipboardFits("plain text", "x.exe", "\"$C$\""));
}

TEST_F(KeyEntry, AsAdministratorOnlyWhereWindowsCanAndAFailedStartIsNoLaunch) {
    using toolkit::ExecuteOutcome;
    Add("doc", "C:\\Docs\\a.txt");
    Add("web", "https://x.example/");
    Add("adm", "tool.exe");
    entries.At(2).RunAs = true;
    options.NoEnter = false;
    options.Elevate = true;
    std::string launched = "before";
    const auto enter = [&](const std::string& typed) {
        std::string key(1, kKeyEnter);
        return CommandKeyPress(key, typed, options, entries, system, kWindow, &launched);
    };
    // A document has no "runas": it opens as the user. Addresses never ask.
    system.TryExecuteAnswers = {ExecuteOutcome::NoVerb};
    EXPECT_TRUE(enter("doc"));
    EXPECT_TRUE(enter("web"));
    EXPECT_TRUE(enter("ftp://f.example"));
    EXPECT_EQ(system.Lines(),
              (std::vector<std::string>{"tryexecute runas|C:\\Docs\\a.txt|||1",
                                        "tryexecute open|C:\\Docs\\a.txt|||1", "beep 0", "beep 0",
                                        "execute open|https://x.example/|||1", "beep 0",
                                        "execute open|FTP://F.EXAMPLE|||1"}));

    // Nothing started, or the consent refused: no launch, whichever way it was asked.
    system.Calls.clear();
    launched = "before";
    options.Elevate = false;
    system.TryExecuteAnswers = {ExecuteOutcome::Failed, ExecuteOutcome::Declined,
                                ExecuteOutcome::NoVerb, ExecuteOutcome::Failed};
    EXPECT_FALSE(enter("adm"));
    EXPECT_FALSE(enter("adm"));
    EXPECT_FALSE(enter("adm")) << "runas missing, then open failing";
    EXPECT_EQ(launched, "before");
    EXPECT_EQ(system.Lines(),
              (std::vector<std::string>{
                  "tryexecute runas|tool.exe|||1", "beep 16", "tryexecute runas|tool.exe|||1",
                  "tryexecute runas|tool.exe|||1", "tryexecute open|tool.exe|||1", "beep 16"}));
}

} // namespace
