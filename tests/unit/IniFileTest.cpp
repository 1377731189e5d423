#include "toolkit/Errors.h"
#include "toolkit/FileReplace.h"
#include "toolkit/IniFile.h"

#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing_support::ReadAll;
using testing_support::TempDir;
using testing_support::WriteAll;
using toolkit::TIniFile;

// An accessor over a file holding the given text.
struct Fixture {
    TempDir dir;
    std::string path = dir.Path("Tarnwick.ini");
    explicit Fixture(const std::string& text = std::string(), bool create = true) {
        if (create)
            WriteAll(path, text);
    }
};

TEST(IniFileRead, MissingFileGivesDefaultsAndIsNotCreated) {
    Fixture f("", false);
    {
        TIniFile ini(f.path);
        EXPECT_EQ(ini.ReadString("DATABASE", "Name0", "Unknown"), "Unknown");
        EXPECT_EQ(ini.ReadInteger("SYSTEM", "Left", 100), 100);
        EXPECT_TRUE(ini.ReadBool("SYSTEM", "Web", true));
        EXPECT_FALSE(ini.ReadBool("SYSTEM", "Web", false));
        ini.UpdateFile();
        ini.Close();
    }
    EXPECT_FALSE(fs::exists(f.path));
    EXPECT_EQ(f.dir.Files(), 0u);
}

TEST(IniFileRead, NamesIgnoreCaseAndBlanksAroundNamesAndValuesGo) {
    Fixture f("[System]\r\n  left  =  12  \r\n\tTOP\t=\t-7\t\r\n[ spaced ]\r\nk=v\r\n"
              "[tabs]\r\nk=\x0B\x0C\x1Av\x1A\x0C\x0B\r\n");
    TIniFile ini(f.path);
    EXPECT_EQ(ini.ReadString("SYSTEM", "Left", "x"), "12");
    EXPECT_EQ(ini.ReadString("system", "LEFT", "x"), "12");
    EXPECT_EQ(ini.ReadString(" SYSTEM ", " Left ", "x"), "12") << "asked names are trimmed too";
    EXPECT_EQ(ini.ReadInteger("SYSTEM", "Top", 70), -7);
    EXPECT_EQ(ini.ReadString("SPACED", "K", "x"), "v");
    EXPECT_EQ(ini.ReadString("tabs", "k", "x"), "v");
    EXPECT_EQ(ini.ReadString("SYSTEM", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadString("NoSuchSection", "Left", "dflt"), "dflt");
}

TEST(IniFileRead, OnePairOfEnclosingQuotesIsDropped) {
    Fixture f("[S]\r\n"
              "a=\"C:\\My Files\\a.txt\"\r\n"
              "b='single'\r\n"
              "c=\"\"\"twice\"\"\"\r\n"
              "d='mixed\"\r\n"
              "e=\"\r\n"
              "f=\"\"\r\n"
              "g=  \"  padded  \"  \r\n"
              "h=\"inner\" text\r\n"
              "i=x\"y\"\r\n");
    TIniFile ini(f.path);
    EXPECT_EQ(ini.ReadString("S", "a", "-"), "C:\\My Files\\a.txt");
    EXPECT_EQ(ini.ReadString("S", "b", "-"), "single");
    EXPECT_EQ(ini.ReadString("S", "c", "-"), "\"\"twice\"\"");
    EXPECT_EQ(ini.ReadString("S", "d", "-"), "'mixed\"");
    EXPECT_EQ(ini.ReadString("S", "e", "-"), "\"") << "a lone quote encloses nothing";
    EXPECT_EQ(ini.ReadString("S", "f", "-"), "");
    EXPECT_EQ(ini.ReadString("S", "g", "-"), "  padded  ");
    EXPECT_EQ(ini.ReadString("S", "h", "-"), "\"inner\" text");
    EXPECT_EQ(ini.ReadString("S", "i", "-"), "x\"y\"");
}

TEST(IniFileRead, FirstOfDuplicatesWinsAndOddLinesAreNoKeys) {
    Fixture f("K=before any section\r\n"
              "[A]\r\nx=1\r\nX=2\r\n; y=comment\r\nnovalue\r\nnovalue=3\r\n=nameless\r\n"
              "[B\r\nk=in B?\r\n"
              "[a]\r\nx=9\r\nonlylater=1\r\n"
              "[Empty]\r\nblank=\r\n"
              "[S]x]\r\nk=odd\r\n");
    TIniFile ini(f.path);
    EXPECT_EQ(ini.ReadString("A", "x", "-"), "1");
    EXPECT_EQ(ini.ReadString("A", "onlylater", "-"), "-") << "a repeated section is never read";
    EXPECT_EQ(ini.ReadString("A", "y", "-"), "-");
    EXPECT_EQ(ini.ReadString("A", "; y", "-"), "-");
    EXPECT_EQ(ini.ReadString("A", "novalue", "-"), "-") << "no '=' reads as missing, and hides";
    EXPECT_EQ(ini.ReadString("B", "k", "-"), "-") << "no closing bracket, no section";
    EXPECT_EQ(ini.ReadString("A", "k", "-"), "in B?");
    EXPECT_EQ(ini.ReadString("Empty", "blank", "-"), "") << "present and empty is not missing";
    EXPECT_EQ(ini.ReadString("S]x", "k", "-"), "odd") << "the name runs to the last bracket";
}

TEST(IniFileRead, AnyLineEndEndsALine) {
    Fixture f("[S]\na=1\rb=2\r\nc=3\n\r\nd=x\ry\n[T]\re=5");
    TIniFile ini(f.path);
    EXPECT_EQ(ini.ReadString("S", "a", "-"), "1");
    EXPECT_EQ(ini.ReadString("S", "b", "-"), "2");
    EXPECT_EQ(ini.ReadString("S", "c", "-"), "3");
    EXPECT_EQ(ini.ReadString("S", "d", "-"), "x") << "a lone CR ends the line";
    EXPECT_EQ(ini.ReadString("T", "e", "-"), "5") << "the last line needs no line end";
}

TEST(IniFileRead, ValuesComeWholeAndByteForByte) {
    const std::string longValue = std::string(2047, 'a') + std::string(2953, 'b');
    Fixture f("[S]\r\nlong=" + longValue + "\r\nzero=ab\0cd\r\n"s);
    TIniFile ini(f.path);
    EXPECT_EQ(ini.ReadString("S", "long", "-"), longValue) << "nothing is cut at 2047";
    EXPECT_EQ(ini.ReadString("S", "zero", "-"), "ab") << "a zero byte ends the value";
}

TEST(IniFileEncoding, AFileWithTheMarkIsUtf8WhateverItHoldsAndKeepsTheMark) {
    Fixture f("\xEF\xBB\xBF[S]\r\nk=1\r\nbad=caf\xE9, \xE6\x97\r\n");
    {
        TIniFile ini(f.path);
        EXPECT_EQ(ini.ReadString("S", "k", "-"), "1");
        EXPECT_EQ(ini.ReadString("S", "bad", "-"), "caf\uFFFD, \uFFFD") << "no ANSI after the mark";
        ini.WriteString("S", "k", "2");
        ini.Close();
    }
    EXPECT_EQ(ReadAll(f.path), "\xEF\xBB\xBF[S]\r\nk=2\r\nbad=caf\uFFFD, \uFFFD\r\n");
}

TEST(IniFileEncoding, AFileOfWellFormedUtf8IsTakenAsItIs) {
    const std::string before = "; \u65E5\u672C\r\n[S\u00E9]\r\nk=\U0001F600 x\r\n\u00C4rger=1\r\n";
    Fixture f(before);
    {
        TIniFile ini(f.path);
        EXPECT_EQ(ini.ReadString("S\u00E9", "k", "-"), "\U0001F600 x");
        EXPECT_EQ(ini.ReadString("s\u00E9", "\u00C4RGER", "-"), "1") << "ASCII case only";
        ini.WriteString("S\u00E9", "n", "\u00E9");
        ini.Close();
    }
    EXPECT_EQ(ReadAll(f.path), before + "n=\u00E9\r\n") << "no mark added";
}

// Bytes 80 to FF in Windows-1252, the page of Wine here and of a Western Windows: what the ANSI
// fallback gives for them.
std::string Cp1252HighInUtf8() {
    std::string out = "\u20AC\u0081\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039"
                      "\u0152\u008D\u017D\u008F\u0090\u2018\u2019\u201C\u201D\u2022\u2013\u2014"
                      "\u02DC\u2122\u0161\u203A\u0153\u009D\u017E\u0178";
    for (int c = 0xA0; c <= 0xFF; ++c)
        out += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
    return out;
}

TEST(IniFileEncoding, AnyOtherFileIsInTheAnsiPageAndBecomesUtf8AtItsSave) {
    std::string high;
    for (int b = 0x80; b <= 0xFF; ++b)
        high += static_cast<char>(b);
    const std::string before = "[S]\r\nhigh=" + high + "\r\nzero=\xE9\0\xE9\r\n\xC4rger=1\r\n"s;
    Fixture f(before);
    {
        TIniFile ini(f.path);
        EXPECT_EQ(ini.ReadString("S", "high", "-"), Cp1252HighInUtf8());
        EXPECT_EQ(ini.ReadString("S", "zero", "-"), "\u00E9");
        EXPECT_EQ(ini.ReadString("S", "\u00C4rger", "-"), "1") << "decoded beyond the zero byte";
        ini.Close();
    }
    EXPECT_EQ(ReadAll(f.path), before) << "reading changes nothing";
    {
        TIniFile ini(f.path);
        ini.WriteString("S", "k", "1");
        ini.Close();
    }
    EXPECT_EQ(ReadAll(f.path), "[S]\r\nhigh=" + Cp1252HighInUtf8() +
                                   "\r\nzero=\u00E9\0\u00E9\r\n\u00C4rger=1\r\nk=1\r\n"s);
}

TEST(IniFileEncoding, OneIllFormedSequenceMakesTheWholeFileAnsi) {
    // Overlong forms, a lone continuation byte, a surrogate, beyond U+10FFFF, and sequences cut
    // short by the end of the file.
    for (const std::string bad :
         {"\xC0\x80", "\xE0\x80\xAF", "\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80",
          "\xF5\x80\x80\x80", "\xFF", "\xC3", "\xF0\x9F\x98"}) {
        Fixture f("[S]\r\nk=\u00E9\r\nbad=" + bad);
        TIniFile ini(f.path);
        EXPECT_EQ(ini.ReadString("S", "k", "-"), "\u00C3\u00A9") << testing::PrintToString(bad);
    }
}

TEST(IniFileEncoding, WhatIsWrittenIsUtf8) {
    Fixture f("", false);
    {
        TIniFile ini(f.path);
        ini.WriteString("S", "k", "\u00E9");
        ini.WriteString("S", "stray", "a\xE9z");
        EXPECT_THROW(ini.WriteString("S\xE9", "k", "v"), toolkit::Exception);
        EXPECT_THROW(ini.WriteString("S", "k\xE9", "v"), toolkit::Exception);
        ini.Close();
    }
    TIniFile ini(f.path);
    EXPECT_EQ(ini.ReadString("S", "k", "-"), "\u00E9") << "one stray byte must not make it ANSI";
    EXPECT_EQ(ini.ReadString("S", "stray", "-"), "a\uFFFDz");
}

TEST(IniFileInteger, ConvertsAsTheValueTypeTableSays) {
    const std::vector<std::pair<std::string, std::optional<std::int32_t>>> cases = {
        {"0", 0},
        {"100", 100},
        {"-5", -5},
        {"-0", 0},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"0x64", 100},
        {"0X64", 100},
        {"0x7FFFFFFF", 2147483647},
        {"0x80000000", std::nullopt},
        {"0xffffffff", std::nullopt},
        {"0x", std::nullopt},
        {"0x1", 1},
        {"0xg", std::nullopt},
        {"$64", 100},
        {"$aBc", 0xABC},
        {"$", std::nullopt},
        {"$-1", std::nullopt},
        {"-$1", std::nullopt},
        {"-0x1", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"+5", std::nullopt},
        {"abc", std::nullopt},
        {"yes", std::nullopt},
        {"12a", std::nullopt},
        {"1 2", std::nullopt},
        {"1.5", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(TIniFile::ParseInteger(text), expected) << "\"" << text << "\"";
}

TEST(IniFileInteger, ReadsConvertOrFallBackToTheDefault) {
    Fixture f("[S]\r\nhex=0x64\r\nbad=abc\r\nempty=\r\nquoted=\" 42\"\r\nq2=\"42\"\r\n"
              "yes=yes\r\nzero=0\r\ntwo=2\r\nneg=-1\r\nbig=4294967296\r\n");
    TIniFile ini(f.path);
    EXPECT_EQ(ini.ReadInteger("S", "hex", 1), 100);
    EXPECT_EQ(ini.ReadInteger("S", "bad", 70), 70);
    EXPECT_EQ(ini.ReadInteger("S", "empty", 5), 5);
    EXPECT_EQ(ini.ReadInteger("S", "missing", 6), 6);
    EXPECT_EQ(ini.ReadInteger("S", "quoted", 7), 7) << "the blank inside the quotes stays";
    EXPECT_EQ(ini.ReadInteger("S", "q2", 7), 42);
    EXPECT_EQ(ini.ReadInteger("S", "big", 8), 8);
    EXPECT_TRUE(ini.ReadBool("S", "yes", true));
    EXPECT_FALSE(ini.ReadBool("S", "yes", false));
    EXPECT_FALSE(ini.ReadBool("S", "zero", true));
    EXPECT_TRUE(ini.ReadBool("S", "two", false));
    EXPECT_TRUE(ini.ReadBool("S", "neg", false));
    EXPECT_FALSE(ini.ReadBool("S", "missing", false));
}

TEST(IniFileWrite, IntoAnEmptyFolderGivesTheExactFile) {
    Fixture f("", false);
    TIniFile ini(f.path);
    ini.WriteInteger("DBSYSTEM", "Count", 2);
    ini.WriteString("DATABASE", "Name0", "Notepad");
    ini.WriteString("DATABASE", "Params0", "");
    ini.WriteBool("SYSTEM", "Web", false);
    ini.WriteInteger("SYSTEM", "Left", -20);
    ini.WriteString("DATABASE", "Name1", "x");
    ini.UpdateFile();
    EXPECT_EQ(ReadAll(f.path), "[DBSYSTEM]\r\nCount=2\r\n"
                               "[DATABASE]\r\nName0=Notepad\r\nParams0=\r\nName1=x\r\n"
                               "[SYSTEM]\r\nWeb=0\r\nLeft=-20\r\n");
    EXPECT_EQ(f.dir.Files(), 1u) << "no temporary file stays behind";
}

TEST(IniFileWrite, KeepsEverythingItDoesNotWriteInPlace) {
    const std::string before = "; settings\r\n"
                               "\r\n"
                               "[DATABASE]\r\n"
                               "  name0 = old ; not a comment\r\n"
                               "Unknown=keep\r\n"
                               "\r\n"
                               "; about SYSTEM\r\n"
                               "[Other]\r\n"
                               "odd line without equals\r\n"
                               "[database]\r\n"
                               "Name0=shadowed\r\n";
    Fixture f(before);
    {
        TIniFile ini(f.path);
        ini.WriteString("Database", "NAME0", "new");
        ini.WriteString("DATABASE", "Name1", "added");
        ini.WriteString("SYSTEM", "Left", "1");
        ini.Close();
    }
    EXPECT_EQ(ReadAll(f.path), "; settings\r\n"
                               "\r\n"
                               "[DATABASE]\r\n"
                               "name0=new\r\n"
                               "Unknown=keep\r\n"
                               "Name1=added\r\n"
                               "\r\n"
                               "; about SYSTEM\r\n"
                               "[Other]\r\n"
                               "odd line without equals\r\n"
                               "[database]\r\n"
                               "Name0=shadowed\r\n"
                               "[SYSTEM]\r\n"
                               "Left=1\r\n");
}

TEST(IniFileWrite, NewKeyOfAnEmptySectionFollowsItsHeaderAndLfFilesBecomeCrLf) {
    Fixture f("[A]\n; note\n[B]\nk=1");
    {
        TIniFile ini(f.path);
        ini.WriteString("A", "x", "1");
        ini.WriteString("B", "k", "2");
        ini.WriteString("A", "novalue", "v");
        ini.Close();
    }
    EXPECT_EQ(ReadAll(f.path), "[A]\r\nx=1\r\nnovalue=v\r\n; note\r\n[B]\r\nk=2\r\n");
}

TEST(IniFileWrite, OnlyValuesThatReadingWouldChangeGetQuotes) {
    // Every field value coming back whole is the database round trip's test; here the form.
    EXPECT_EQ(TIniFile::StoredValue("plain text"), "plain text");
    EXPECT_EQ(TIniFile::StoredValue(""), "");
    EXPECT_EQ(TIniFile::StoredValue("\"open"), "\"open");
    EXPECT_EQ(TIniFile::StoredValue("'mixed\""), "'mixed\"");
    EXPECT_EQ(TIniFile::StoredValue("\""), "\"");
    EXPECT_EQ(TIniFile::StoredValue("a \"b\" c"), "a \"b\" c");
    EXPECT_EQ(TIniFile::StoredValue(" lead"), "\" lead\"");
    EXPECT_EQ(TIniFile::StoredValue("trail\t"), "\"trail\t\"");
    EXPECT_EQ(TIniFile::StoredValue("\x1A"), "\"\x1A\"");
    EXPECT_EQ(TIniFile::StoredValue("'x'"), "\"'x'\"");
    EXPECT_EQ(TIniFile::StoredValue("\"\""), "\"\"\"\"");
    EXPECT_EQ(TIniFile::ValueOf(TIniFile::StoredValue("\"\"")), "\"\"");
    EXPECT_EQ(TIniFile::ValueOf(TIniFile::StoredValue(" \" ")), " \" ");
}

TEST(IniFileWrite, LineBreaksInAValueNeverBreakTheLine) {
    Fixture f("", false);
    {
        TIniFile ini(f.path);
        ini.WriteString("S", "k", "a\r\n[Injected]\r\nEvil=1");
        ini.WriteString("S", "cr", "x\ry\nz\0w"s);
        ini.WriteString("S", "edge", "\r\nstart and end\n");
        ini.Close();
    }
    TIniFile ini(f.path);
    EXPECT_EQ(ini.ReadString("S", "k", "-"), "a [Injected] Evil=1");
    EXPECT_EQ(ini.ReadString("Injected", "Evil", "-"), "-");
    EXPECT_EQ(ini.ReadString("S", "cr", "-"), "x y z w");
    EXPECT_EQ(ini.ReadString("S", "edge", "-"), " start and end ");
    EXPECT_EQ(ReadAll(f.path),
              "[S]\r\nk=a [Injected] Evil=1\r\ncr=x y z w\r\nedge=\" start and end \"\r\n");
}

TEST(IniFileWrite, NamesThatCannotStandInTheFileAreRefused) {
    Fixture f("", false);
    TIniFile ini(f.path);
    for (const char* key : {"", "  ", "a=b", ";c", "[d]", "e\nf"})
        EXPECT_THROW(ini.WriteString("S", key, "v"), toolkit::Exception) << key;
    for (const char* section : {"", " ", "a\r\nb"})
        EXPECT_THROW(ini.WriteString(section, "k", "v"), toolkit::Exception) << section;
    ini.UpdateFile();
    EXPECT_FALSE(fs::exists(f.path));
}

TEST(IniFileWrite, SavesOnlyWhenWrittenAndCloseSavesOnceMore) {
    Fixture f("", false);
    {
        TIniFile ini(f.path);
        ini.WriteString("S", "k", "1");
        // No UpdateFile or Close: the change is dropped.
    }
    EXPECT_FALSE(fs::exists(f.path));
    {
        TIniFile ini(f.path);
        ini.WriteString("S", "k", "1");
        ini.Close();
        EXPECT_THROW(ini.WriteString("S", "k", "2"), toolkit::Exception);
    }
    EXPECT_EQ(ReadAll(f.path), "[S]\r\nk=1\r\n");
    // Writing a value that is already there still saves: a writer's file must exist afterwards.
    fs::remove(f.path);
    WriteAll(f.path, "[S]\nk=1\n");
    {
        TIniFile ini(f.path);
        ini.WriteString("S", "k", "1");
        ini.UpdateFile();
    }
    EXPECT_EQ(ReadAll(f.path), "[S]\r\nk=1\r\n");
}

// The save must either land whole or leave the file as it was.
void ExpectUnableToWrite(TIniFile& ini) {
    try {
        ini.UpdateFile();
        FAIL() << "the save must fail";
    } catch (const toolkit::EIniFileException& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + ini.FileName());
    }
}

TEST(IniFileSaveFailure, MissingFolderRaisesAndCreatesNothing) {
    TempDir dir;
    const std::string path =
        dir.Path("missing") + std::string(1, fs::path::preferred_separator) + "Tarnwick.ini";
    TIniFile ini(path);
    ini.WriteString("SYSTEM", "Left", "1");
    ExpectUnableToWrite(ini);
    EXPECT_EQ(dir.Files(), 0u);
    // Once the folder is there, the same changes land.
    fs::create_directory(dir.Path("missing"));
    ini.UpdateFile();
    EXPECT_EQ(ReadAll(path), "[SYSTEM]\r\nLeft=1\r\n");
}

TEST(IniFileSaveFailure, FolderStandingWhereTheFileShouldBeIsLeftAlone) {
    TempDir dir;
    const std::string path = dir.Path("Tarnwick.ini");
    fs::create_directory(path);
    WriteAll((fs::path(path) / "inside.txt").string(), "keep");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("S", "k", "-"), "-");
    ini.WriteString("S", "k", "1");
    ExpectUnableToWrite(ini);
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(ReadAll((fs::path(path) / "inside.txt").string()), "keep");
    EXPECT_EQ(dir.Files(), 1u) << "no temporary file stays behind";
}

bool FailingReplace(const std::string&, const std::string&) {
    return false;
}

TEST(IniFileSaveFailure, FailedReplaceLeavesTheOldFileByteForByte) {
    const std::string before = "[DBSYSTEM]\nCount=5\n[DATABASE]\nName0=a\n  odd  \n";
    Fixture f(before);
    TIniFile ini(f.path);
    ini.WriteInteger("DBSYSTEM", "Count", 1);
    ini.WriteString("DATABASE", "Name0", "b");
    const toolkit::FileReplacer previous = toolkit::SetFileReplacer(&FailingReplace);
    ExpectUnableToWrite(ini);
    toolkit::SetFileReplacer(previous);
    EXPECT_EQ(ReadAll(f.path), before);
    EXPECT_EQ(f.dir.Files(), 1u) << "the temporary file is removed again";
    ini.Close();
    EXPECT_EQ(ReadAll(f.path), "[DBSYSTEM]\r\nCount=1\r\n[DATABASE]\r\nName0=b\r\n  odd  \r\n");
}

TEST(IniFileSaveFailure, Utf16FileReadsEmptyAndIsNeverOverwritten) {
    const std::string before = "\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0001\0"s;
    Fixture f(before);
    TIniFile ini(f.path);
    EXPECT_EQ(ini.ReadString("S", "k", "-"), "-");
    ini.WriteString("S", "k", "2");
    ExpectUnableToWrite(ini);
    EXPECT_EQ(ReadAll(f.path), before);
}

TEST(IniFileRead, GeneratedFilesNeverBreakTheReader) {
    // Random bytes, weighted towards the characters that matter to the format.
    std::mt19937 gen(7);
    const std::string alphabet = "[]=;\"' \t\r\nAaKk0x$-\x1A\xA0\xFF";
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int length = static_cast<int>(gen() % 400);
        for (int i = 0; i < length; ++i)
            text +=
                gen() % 4 == 0 ? static_cast<char>(gen() % 256) : alphabet[gen() % alphabet.size()];
        Fixture f(text);
        TIniFile ini(f.path);
        for (const char* s : {"A", "a", "K", "0"})
            for (const char* k : {"K", "A", "k", "x"}) {
                (void)ini.ReadString(s, k, "");
                (void)ini.ReadInteger(s, k, 0);
            }
        ini.WriteString("A", "K", "v");
        ini.WriteString("New", "K", "v");
        ini.Close();
        TIniFile again(f.path);
        EXPECT_EQ(again.ReadString("A", "K", "-"), "v") << round;
        EXPECT_EQ(again.ReadString("New", "K", "-"), "v") << round;
    }
}

} // namespace
