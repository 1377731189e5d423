// The settings file accessor beside the platform's own private-profile functions: the same files,
// the same reads and writes, the same values back. Where the two differ on purpose (values with
// blanks at either end or enclosing quotes, line breaks inside values, saving) the platform must
// still read our files as we do. Both are asked through the W functions with UTF-8 converted at
// the boundary, as the program asks. The platform reads a file without the UTF-8 mark in the ANSI
// page, where ours takes a file of well-formed UTF-8 as it is: for such a file the platform is
// asked about a copy that has the mark.
#include "support/AwkwardValues.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include "data/Settings.h"
#include "toolkit/Errors.h"
#include "toolkit/IniFile.h"
#include "toolkit/Text.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing_support::AwkwardValues;
using testing_support::ReadAll;
using testing_support::TempDir;
using testing_support::WriteAll;
using toolkit::Narrow;
using toolkit::TIniFile;
using toolkit::Widen;

constexpr const char* Default = "<default>";

std::string PlatformRead(const std::string& path, const std::string& section,
                         const std::string& key) {
    std::vector<wchar_t> buffer(1 << 16);
    const DWORD n = GetPrivateProfileStringW(
        Widen(section).c_str(), Widen(key).c_str(), Widen(Default).c_str(), buffer.data(),
        static_cast<DWORD>(buffer.size()), Widen(path).c_str());
    return Narrow(std::wstring_view(buffer.data(), n));
}

void PlatformWrite(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& value) {
    (void)WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(),
                                     Widen(value).c_str(), Widen(path).c_str());
}

// Lets the platform drop its cached copy of the file.
void PlatformFlush(const std::string& path) {
    (void)WritePrivateProfileStringW(nullptr, nullptr, nullptr, Widen(path).c_str());
}

const std::string Utf8Mark = "\xEF\xBB\xBF";

bool IsUtf8(const std::string& bytes) {
    return bytes.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                                static_cast<int>(bytes.size()), nullptr, 0) > 0;
}

// The file's text as the program is meant to see it, from the platform's own conversions.
std::string ProgramText(const std::string& bytes) {
    if (bytes.starts_with(Utf8Mark) || IsUtf8(bytes))
        return bytes;
    const int length = static_cast<int>(bytes.size());
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, wide.data(), length)));
    return Narrow(wide);
}

// Text that the platform reads as ANSI and ours as UTF-8.
bool ReadAlikeOnlyWithTheMark(const std::string& bytes) {
    return !bytes.starts_with(Utf8Mark) &&
           std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; }) &&
           IsUtf8(bytes);
}

// A file of the text for the platform: the text as it is, or with the mark where ours reads it
// as UTF-8 and the platform would not.
std::string PlatformFile(TempDir& dir, const std::string& text) {
    const std::string path = dir.NewPath();
    WriteAll(path, ReadAlikeOnlyWithTheMark(text) ? Utf8Mark + text : text);
    return path;
}

std::string Show(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out.size() > 200 ? out.substr(0, 200) + "..." : out;
}

// Every section and key name the text seems to hold, as written and in capitals (and, when asked,
// in small letters and with blanks around), and one of each that is surely missing.
std::pair<std::set<std::string>, std::set<std::string>> NamesIn(const std::string& text,
                                                                bool allSpellings = true) {
    std::set<std::string> sections = {"Missing"}, keys = {"missing"};
    std::string line;
    std::istringstream in(text);
    auto add = [allSpellings](std::set<std::string>& to, std::string name) {
        const auto b = name.find_first_not_of(" \t");
        const auto e = name.find_last_not_of(" \t");
        if (b == std::string::npos)
            return;
        name = name.substr(b, e - b + 1);
        // A name with a line break cannot be asked for; one starting with ";" the program
        // never asks for (the platform finds comment lines under such names, we never do).
        if (name.find_first_of(std::string("\r\n\0", 3)) != std::string::npos || name[0] == ';')
            return;
        std::string upper = name, lower = name;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        to.insert({name, upper});
        if (allSpellings)
            to.insert({lower, " " + name + " "});
    };
    while (std::getline(in, line, '\n')) {
        std::istringstream parts(line);
        std::string piece;
        while (std::getline(parts, piece, '\r')) {
            const auto open = piece.find('[');
            const auto close = piece.rfind(']');
            if (open != std::string::npos && close != std::string::npos && close > open)
                add(sections, piece.substr(open + 1, close - open - 1));
            add(keys, piece.substr(0, piece.find('=')));
        }
    }
    return {sections, keys};
}

// Every read of the names in the file gives the same through both.
void ExpectSameReads(TempDir& dir, const std::string& text, const std::string& what) {
    const std::string path = dir.NewPath();
    WriteAll(path, text);
    const std::string platformPath = PlatformFile(dir, text);
    const auto [sections, keys] = NamesIn(ProgramText(text));
    TIniFile ours(path);
    int compared = 0;
    for (const std::string& s : sections)
        for (const std::string& k : keys) {
            const std::string platform = PlatformRead(platformPath, s, k);
            const std::string mine = ours.ReadString(s, k, Default);
            EXPECT_EQ(Show(mine), Show(platform)) << what << " [" << Show(s) << "] " << Show(k);
            ++compared;
        }
    PlatformFlush(platformPath);
    EXPECT_GT(compared, 0);
}

const std::vector<std::string>& HandWritten() {
    static const std::vector<std::string> files = {
        "",
        "; only a comment\r\n\r\n",
        "\r\n[DBSYSTEM]\r\nCount=2\r\n\r\n[DATABASE]\r\nName0=Notepad\r\nFilename0=notepad.exe\r\n"
        "Directory0=\r\nParams0=\r\nKeyword0=NP\r\nName1=Docs\r\nFilename1=C:\\Docs\r\n"
        "Directory1=C:\\\r\nParams1=\"C:\\My Files\\a.txt\"\r\nKeyword1=D\r\n\r\n[SYSTEM]\r\n"
        "Left=0x64\r\nTop=abc\r\nAlphaBlendValue=300\r\nWeb=yes\r\nNoEnter=0\r\nSound=2\r\n"
        "hKey=3070\r\n",
        "[System]\r\n  left  =  12  \r\n\tTOP\t=\t-7\t\r\n[ spaced "
        "]\r\nk=v\r\n[\tTabbed\t]\r\nk=t\r\n",
        "[S]\r\na=\"C:\\My Files\\a.txt\"\r\nb='single'\r\nc=\"\"\"twice\"\"\"\r\nd='mixed\"\r\n"
        "e=\"\r\nf=\"\"\r\ng=  \"  padded  \"  \r\nh=\"inner\" text\r\ni=x\"y\"\r\nj='\r\n"
        "k=''\r\nl=\"'x'\"\r\n",
        "K=before any section\r\n[A]\r\nx=1\r\nX=2\r\n; y=comment\r\nnovalue\r\nnovalue=3\r\n"
        "=nameless\r\n[B\r\nk=in B?\r\n[a]\r\nx=9\r\nonlylater=1\r\n[Empty]\r\nblank=\r\n"
        "[S]x]\r\nk=odd\r\n[T] ; note\r\nk=t\r\n[[N]]\r\nk=n\r\n",
        "[S]\na=1\rb=2\r\nc=3\n\r\nd=x\ry\n[T]\re=5",
        "[S]\r\nvt=\x0Bv\x0B\r\nff=\x0C"
        "f\x0C\r\nsub=\x1As\x1A\r\nnbsp=\xA0n\xA0\r\n"
        "tab=\tt\t\r\n",
        "[S]\r\nzero=ab\0cd\r\nlast=1\r\n"s,
        "[S]\r\nmy key=1\r\n my  key2 = 2 \r\nk=a=b;c\r\nempty=\r\nnoeq\r\n",
        "[]\r\nk=empty name\r\n[ ]\r\nk=blank name\r\n[S]\r\nk=s\r\n",
        "[S]\r\n\xE4rger=1\r\nhigh=\x80\x81\x8D\x8F\x90\x9D\xA0\xC4\xE9\xFF\r\n",
        "; \u00E9\r\n[S\u00E9ction]\r\ncl\u00E9=valeur \u00E9 \u65E5\u672C \U0001F600\r\n"
        "\u00C4rger=1\r\n[S]\r\nnbsp=\u00A0n\u00A0\r\nk=\"\u00E9\"\r\n",
        "\xEF\xBB\xBF[S]\r\nk=caf\u00E9\r\n\u65E5=\u672C\r\nascii=1\r\n",
        "\xEF\xBB\xBF[S]\r\nbad=caf\xE9, \xE6\x97 \xF0\x9F\x98|\xC0\x80|\x80\r\n",
    };
    return files;
}

TEST(IniDifferential, HandWrittenFilesReadTheSame) {
    TempDir dir{"tarnwick-diff-"};
    int n = 0;
    for (const std::string& text : HandWritten())
        ExpectSameReads(dir, text, "file " + std::to_string(n++));
}

TEST(IniDifferential, LongValuesReadTheSame) {
    TempDir dir{"tarnwick-diff-"};
    std::string text = "[S]\r\n";
    for (int length : {2046, 2047, 2048, 5000, 30000})
        text += "k" + std::to_string(length) + "=" + std::string(length, 'v') + "\r\n";
    ExpectSameReads(dir, text, "long values");
    const std::string path = dir.NewPath();
    WriteAll(path, text);
    EXPECT_EQ(TIniFile(path).ReadString("S", "k5000", "").size(), 5000u);
}

// Random INI texts from the pieces the format is made of, ASCII names only; their other
// characters are in the ANSI page, or else UTF-8.
std::string GeneratedFile(std::mt19937& gen, bool utf8) {
    auto pick = [&](std::initializer_list<const char*> from) {
        return std::string(*(from.begin() + gen() % from.size()));
    };
    auto blanks = [&] { return pick({"", "", "", " ", "  ", "\t", " \t "}); };
    auto value = [&] {
        std::string v;
        const int n = static_cast<int>(gen() % 6);
        for (int i = 0; i < n; ++i)
            v += utf8 ? pick({"a", "B", " ", "\"", "=", ";", "]", "\u00E9", "\u00A0", "\u65E5",
                              "\U0001F600", "x y"})
                      : pick({"a", "B", "1", " ", "\"", "'", "=", ";", "[", "]", "\xE9", "\xA0",
                              "x y"});
        return v;
    };
    std::string text;
    const int lines = 3 + static_cast<int>(gen() % 30);
    for (int i = 0; i < lines; ++i) {
        switch (gen() % 10) {
        case 0:
        case 1:
            text += blanks() + "[" + blanks() + pick({"Sec", "SEC", "sec", "Other", "DATABASE"}) +
                    blanks() + "]" + blanks();
            break;
        case 2:
            text += blanks() + pick({";", "; k=v", ";[Sec]"});
            break;
        case 3:
            text += blanks();
            break;
        case 4:
            text += blanks() + pick({"Key", "key", "Name0", "Other"});
            break;
        default:
            text += blanks() + pick({"Key", "KEY", "key", "Name0", "name0", "Count", "x"}) +
                    blanks() + "=" + blanks() + value() + blanks();
        }
        text += pick({"\r\n", "\r\n", "\r\n", "\n", "\r"});
    }
    return text;
}

TEST(IniDifferential, GeneratedFilesReadTheSame) {
    TempDir dir{"tarnwick-diff-"};
    std::mt19937 gen(20240611);
    for (int i = 0; i < 150; ++i) {
        const std::string text = GeneratedFile(gen, i % 2 != 0);
        ExpectSameReads(dir, text, "generated " + std::to_string(i) + ": " + Show(text));
    }
}

struct Write {
    std::string section, key, value;
};

// The same writes through both, each into its own copy; then both copies must read the same,
// through both readers.
void ExpectSameWrites(TempDir& dir, const std::string& text, const std::vector<Write>& writes,
                      const std::string& what) {
    const std::string platformCopy = PlatformFile(dir, text);
    const std::string ourCopy = dir.NewPath();
    WriteAll(ourCopy, text);
    for (const Write& w : writes)
        PlatformWrite(platformCopy, w.section, w.key, w.value);
    PlatformFlush(platformCopy);
    {
        TIniFile ini(ourCopy);
        for (const Write& w : writes)
            ini.WriteString(w.section, w.key, w.value);
        ini.UpdateFile();
        ini.Close();
    }
    std::string names = ProgramText(text);
    for (const Write& w : writes)
        names += "\r\n[" + w.section + "]\r\n" + w.key + "=\r\n";
    const auto [sections, keys] = NamesIn(names, false);
    TIniFile oursOnOurs(ourCopy), oursOnPlatforms(platformCopy);
    const std::string ourCopyForPlatform = PlatformFile(dir, ReadAll(ourCopy));
    for (const std::string& s : sections)
        for (const std::string& k : keys) {
            const std::string expected = PlatformRead(platformCopy, s, k);
            const std::string where = what + " [" + Show(s) + "] " + Show(k);
            EXPECT_EQ(Show(oursOnOurs.ReadString(s, k, Default)), Show(expected)) << where;
            EXPECT_EQ(Show(oursOnPlatforms.ReadString(s, k, Default)), Show(expected)) << where;
            EXPECT_EQ(Show(PlatformRead(ourCopyForPlatform, s, k)), Show(expected)) << where;
        }
    PlatformFlush(platformCopy);
    PlatformFlush(ourCopyForPlatform);
}

TEST(IniDifferential, WritesGiveTheSameValues) {
    TempDir dir{"tarnwick-diff-"};
    const std::vector<Write> writes = {
        {"DATABASE", "Name0", "first"},
        {"database", "NAME0", "again"},
        {" Sec ", " Key ", "padded names"},
        {"A", "novalue", "now set"},
        {"A", "x", "replaces the first x"},
        {"A", "onlylater", "goes to the first A"},
        {"New Section", "k", "v=w;x"},
        {"Sec", "Key", "\u00E9t\u00E9 \u00A0"},
        {"Sec", "Empty", ""},
        {"DBSYSTEM", "Count", "2"},
        {"S]x", "k", "bracketed"},
        {"Other", "Key", "\"open"},
    };
    int n = 0;
    for (const std::string& text : HandWritten())
        ExpectSameWrites(dir, text, writes, "hand-written " + std::to_string(n++));
    std::mt19937 gen(77);
    for (int i = 0; i < 40; ++i) {
        const std::string text = GeneratedFile(gen, i % 2 != 0);
        ExpectSameWrites(dir, text, writes, "generated " + Show(text));
    }
}

TEST(IniDifferential, DatabaseRoundTripsAndThePlatformReadsItAlike) {
    TempDir dir{"tarnwick-diff-"};
    const std::string ini = dir.Path("Tarnwick.ini");
    // The program's texts are UTF-8: the awkward high bytes as the characters they stood for.
    std::vector<std::string> values = AwkwardValues();
    for (std::string& v : values)
        v = ProgramText(v);
    TEntries entries;
    for (std::size_t i = 0; i < values.size(); ++i)
        entries.Append({values[i], values[(i + 1) % values.size()], values[(i + 2) % values.size()],
                        values[i] + values[(i + 3) % values.size()], "K" + values[i]});
    WriteDatabase(ini, entries);

    TEntries back;
    TSettings settings;
    ReadSettings(ini, back, settings);
    ASSERT_EQ(back.Count(), entries.Count());
    const std::string platformIni = PlatformFile(dir, ReadAll(ini));
    EXPECT_EQ(PlatformRead(platformIni, "DBSYSTEM", "Count"), std::to_string(entries.Count()));
    for (std::int32_t i = 0; i < entries.Count(); ++i) {
        const TDBItem& e = entries.At(i);
        const TDBItem& b = back.At(i);
        const std::string n = std::to_string(i);
        EXPECT_EQ(Show(b.Name), Show(e.Name)) << i;
        EXPECT_EQ(Show(b.Filename), Show(e.Filename)) << i;
        EXPECT_EQ(Show(b.Directory), Show(e.Directory)) << i;
        EXPECT_EQ(Show(b.Params), Show(e.Params)) << i;
        EXPECT_EQ(Show(b.Keyword), Show(e.Keyword)) << i;
        EXPECT_EQ(Show(PlatformRead(platformIni, "DATABASE", "Name" + n)), Show(e.Name)) << i;
        EXPECT_EQ(Show(PlatformRead(platformIni, "DATABASE", "Filename" + n)), Show(e.Filename))
            << i;
        EXPECT_EQ(Show(PlatformRead(platformIni, "DATABASE", "Directory" + n)), Show(e.Directory))
            << i;
        EXPECT_EQ(Show(PlatformRead(platformIni, "DATABASE", "Params" + n)), Show(e.Params)) << i;
        EXPECT_EQ(Show(PlatformRead(platformIni, "DATABASE", "Keyword" + n)), Show(e.Keyword)) << i;
    }
    PlatformFlush(platformIni);
}

TEST(IniDifferential, LineBreaksCannotInjectKeysForEitherReader) {
    TempDir dir{"tarnwick-diff-"};
    const std::string ini = dir.Path("Tarnwick.ini");
    TEntries entries;
    entries.Append({"a\r\n[SYSTEM]\r\nhKey=3070", "b\rLeft=5", "c\nTop=6", "", ""});
    WriteDatabase(ini, entries);
    TEntries back;
    TSettings settings;
    ReadSettings(ini, back, settings);
    EXPECT_EQ(back.At(0).Name, "a [SYSTEM] hKey=3070");
    EXPECT_EQ(settings.hKey, 0);
    EXPECT_EQ(settings.Left, 100);
    EXPECT_EQ(settings.Top, 70);
    EXPECT_EQ(PlatformRead(ini, "SYSTEM", "hKey"), Default);
    EXPECT_EQ(PlatformRead(ini, "DATABASE", "Left"), Default);
    EXPECT_EQ(PlatformRead(ini, "DATABASE", "Filename0"), "b Left=5");
    PlatformFlush(ini);
}

void ExpectUnableToWrite(const std::function<void()>& save, const std::string& path) {
    try {
        save();
        ADD_FAILURE() << "the save must fail";
    } catch (const toolkit::EIniFileException& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
}

TEST(IniSaveFailure, MissingFolderAndFolderInThePlaceOfTheFile) {
    TempDir dir{"tarnwick-diff-"};
    const std::string inMissing = dir.Path("gone") + "\\\\Tarnwick.ini";
    ExpectUnableToWrite([&] { WritePosition(inMissing, 1, 2); }, inMissing);
    EXPECT_EQ(dir.Files(), 0u);

    const std::string folder = dir.Path("Tarnwick.ini");
    ASSERT_TRUE(CreateDirectoryW(Widen(folder).c_str(), nullptr));
    WriteAll(folder + "\\inside.txt", "keep");
    ExpectUnableToWrite([&] { WriteDatabase(folder, TEntries()); }, folder);
    ExpectUnableToWrite([&] { WriteOptions(folder, 9, true, true, true, 0); }, folder);
    EXPECT_EQ(GetFileAttributesW(Widen(folder).c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              DWORD{FILE_ATTRIBUTE_DIRECTORY});
    EXPECT_EQ(ReadAll(folder + "\\inside.txt"), "keep");
    EXPECT_EQ(dir.Files(), 1u) << "no temporary file stays behind";
}

TEST(IniSaveFailure, FileHeldOpenByAnotherProgramStaysByteForByte) {
    TempDir dir{"tarnwick-diff-"};
    const std::string ini = dir.Path("Tarnwick.ini");
    TEntries five;
    for (int i = 0; i < 5; ++i)
        five.Append({"n" + std::to_string(i), "f", "d", "p", "k"});
    WriteDatabase(ini, five);
    const std::string before = ReadAll(ini);
    // Held without FILE_SHARE_DELETE: the platform refuses to replace it.
    HANDLE held = CreateFileW(Widen(ini).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    TEntries three = five;
    three.Resize(3);
    ExpectUnableToWrite([&] { WriteDatabase(ini, three); }, ini);
    ExpectUnableToWrite([&] { WritePosition(ini, 5, 6); }, ini);
    CloseHandle(held);
    EXPECT_EQ(ReadAll(ini), before);
    EXPECT_EQ(dir.Files(), 1u) << "no temporary file stays behind";
    WritePosition(ini, 5, 6);
    EXPECT_EQ(PlatformRead(ini, "SYSTEM", "Top"), "6");
    EXPECT_EQ(PlatformRead(ini, "DBSYSTEM", "Count"), "5");
    PlatformFlush(ini);
}

} // namespace
