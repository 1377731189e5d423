// The settings file accessor: an INI file read and parsed once, worked on in memory and saved
// whole. It gives the results of the platform's private-profile functions (names compared without
// regard to ASCII case, blanks around names and values dropped, one enclosing pair of quotes
// dropped, the first of duplicate sections and keys wins, everything it does not understand kept
// in place), but a save replaces the file in one step: it lands whole or not at all. Every text
// it takes and gives is UTF-8, and so is every file it writes. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace toolkit {

class TIniFile {
public:
    // Reads the file once and closes it again. A missing file (or folder) is an empty file. A
    // file that is there but cannot be read, or is stored as UTF-16, reads as empty and refuses
    // to be saved, so that it is never overwritten with only the keys written here. The path is
    // UTF-8. A file that begins with the UTF-8 mark is UTF-8 (an ill-formed sequence in it reads
    // as U+FFFD) and keeps the mark when saved; one whose bytes are all well-formed UTF-8 is
    // taken as it is; any other file is in the system's ANSI code page (AnsiToUtf8) and is saved
    // as UTF-8 without the mark.
    explicit TIniFile(std::string fileName);
    // Changes not yet saved by UpdateFile or Close are dropped: a destructor reached while an
    // error unwinds must not write a second time.
    ~TIniFile() = default;
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const std::string& FileName() const { return fileName_; }
    // Whether the file was there and its contents were taken in: not for a missing file, nor for
    // one that reads as empty because it could not be read.
    bool Loaded() const { return loaded_; }
    // Whether the file was there when it was read (readable or not).
    bool Exists() const { return exists_; }

    // The stored value, whole, or def (as given) when the section or the key is missing or the
    // key's line has no "=".
    std::string ReadString(std::string_view section, std::string_view key,
                           const std::string& def) const;
    // The stored text converted by ParseInteger; def when missing, empty or not an integer.
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t def) const;
    // ReadInteger with default 1 or 0; true when non-zero.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;

    // Sets the key in memory. An existing key keeps its place and its spelling, a new key goes
    // after the last key of its section, a new section to the end of the file. The value is
    // written as StoredValue gives it. Section and key names come from the program, never from
    // the user: a name that cannot stand in the file (not UTF-8 among others) raises
    // toolkit::Exception.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);
    // Removes the section with every line in it, as the platform's write of a null key does;
    // every section of that name, so that no older copy comes to light. A missing section
    // changes nothing.
    void EraseSection(std::string_view section);

    // Saves the whole file when anything was written since the last save: to a new file beside
    // it, which then replaces it in one step. Raises EIniFileException "Unable to write to
    // <path>" when that cannot be done; the file on disk is then as it was.
    void UpdateFile();
    // UpdateFile once more, then lets go of the contents.
    void Close();

    // The integer value-type rule: decimal with an optional leading "-"; hexadecimal after "$",
    // or after "0x"/"0X" when the text is longer than two characters; anything else (a "+",
    // blanks, an empty text) or a value outside the signed 32-bit range gives nothing.
    static std::optional<std::int32_t> ParseInteger(std::string_view text);
    // The form a value takes in the file. A line break (CR LF, CR or LF) or a zero byte cannot
    // stand inside a line: each becomes one blank. An ill-formed UTF-8 sequence becomes U+FFFD. A
    // value that reading would change, one that begins or ends with a blank or is enclosed in a
    // pair of quotes, gets one more pair of double quotes around it, which every reader drops
    // again.
    static std::string StoredValue(std::string_view value);
    // What a read gives for the text behind a key's "=": blanks around it dropped, the text cut
    // at a zero byte, then one enclosing pair of single or double quotes dropped.
    static std::string ValueOf(std::string_view stored);

private:
    struct Line {
        std::string text; // as in the file, without its line end
        // For a key line: its name, and its value when it has an "=" (valueBegin == npos when not).
        std::size_t nameBegin = 0, nameEnd = 0;
        std::size_t valueBegin = std::string::npos, valueEnd = 0;
    };
    struct Section {
        std::vector<Line> lines; // the header line first, except in the part before any header
        std::unordered_map<std::string, std::size_t> keys; // folded name -> line; the first wins
        std::size_t insertAt = 0; // where a new key goes: after the last key line
    };

    void Parse(std::string_view content);
    void AddLine(std::string text);
    std::string Content() const;
    const Line* Find(std::string_view section, std::string_view key) const;

    std::string fileName_;
    bool saveable_ = true;
    bool exists_ = false;
    bool dirty_ = false;
    bool closed_ = false;
    bool utf8Mark_ = false;
    bool loaded_ = false;
    std::vector<Section> sections_; // sections_[0]: the lines before the first header
    std::unordered_map<std::string, std::size_t> sectionIndex_; // folded name -> first section
};

} // namespace toolkit
