#include "toolkit/IniFile.h"

#include "toolkit/AnsiText.h"
#include "toolkit/Errors.h"
#include "toolkit/FileReplace.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace toolkit {

namespace {

FileReplacer replacer = &MoveIntoPlace;

// The blanks the platform drops around names and values (CR and LF end the line anyway).
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A';
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Names compare without regard to ASCII case.
std::string Fold(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// The length of the well-formed UTF-8 character that begins at p (1 to 4 bytes); or, when none
// begins there, minus the length of the ill-formed piece that one U+FFFD stands for (Unicode's
// "maximal subpart": the lead byte and the continuation bytes that still fitted it).
int Utf8Sequence(const unsigned char* p, const unsigned char* end) {
    const unsigned char lead = *p;
    if (lead < 0x80)
        return 1;
    int length;
    // The range of the second byte, narrower after some leads: no overlong forms (E0, F0), no
    // surrogates (ED), nothing above U+10FFFF (F4).
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return -1; // a continuation byte, C0, C1 or F5 to FF
    }
    for (int i = 1; i < length; ++i) {
        if (end - p <= i || p[i] < low || p[i] > high)
            return -i;
        low = 0x80;
        high = 0xBF;
    }
    return length;
}

// Where the first ill-formed UTF-8 sequence of s begins, or npos when s is well-formed.
std::size_t FirstIllFormed(std::string_view s) {
    const auto* const begin = reinterpret_cast<const unsigned char*>(s.data());
    const auto* const end = begin + s.size();
    const auto* p = begin;
    while (p != end) {
        // Settings files are mostly ASCII: eight bytes at a time while no high bit is set.
        std::uint64_t word;
        while (end - p >= 8 && (std::memcpy(&word, p, 8), (word & 0x8080808080808080u) == 0))
            p += 8;
        if (p == end)
            break;
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const int n = Utf8Sequence(p, end);
        if (n < 0)
            return static_cast<std::size_t>(p - begin);
        p += n;
    }
    return std::string_view::npos;
}

// s with each ill-formed piece from `from` on replaced by one U+FFFD.
std::string Utf8Repaired(std::string_view s, std::size_t from) {
    std::string out(s.substr(0, from));
    const auto* p = reinterpret_cast<const unsigned char*>(s.data()) + from;
    const auto* const end = reinterpret_cast<const unsigned char*>(s.data()) + s.size();
    while (p != end) {
        const int n = Utf8Sequence(p, end);
        if (n > 0)
            out.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(n));
        else
            out += "\xEF\xBF\xBD";
        p += n > 0 ? n : -n;
    }
    return out;
}

bool HasLineBreakOrZero(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

enum class Kind { Other, Header, Key };

// Classifies one line. For a header, [nameBegin, nameEnd) is the section name; for a key line,
// the key name and, when it has an "=", [valueBegin, valueEnd) the value with blanks dropped.
struct Parsed {
    Kind kind = Kind::Other;
    std::size_t nameBegin = 0, nameEnd = 0;
    std::size_t valueBegin = std::string::npos, valueEnd = 0;
};

Parsed ParseLine(std::string_view text) {
    Parsed p;
    std::size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b]))
        ++b;
    while (e > b && IsBlank(text[e - 1]))
        --e;
    if (b == e || text[b] == ';')
        return p;
    if (text[b] == '[') {
        const std::size_t close = text.substr(0, e).rfind(']');
        if (close != std::string_view::npos && close > b) {
            std::size_t nb = b + 1, ne = close;
            while (nb < ne && IsBlank(text[nb]))
                ++nb;
            while (ne > nb && IsBlank(text[ne - 1]))
                --ne;
            p.kind = Kind::Header;
            p.nameBegin = nb;
            p.nameEnd = ne;
            return p;
        }
        // Without a closing bracket the platform takes the line for a key; so do we.
    }
    const std::size_t eq = text.substr(0, e).find('=', b);
    std::size_t ne = eq == std::string_view::npos ? e : eq;
    while (ne > b && IsBlank(text[ne - 1]))
        --ne;
    if (ne == b)
        return p; // a line like "=x" has no name to ask for
    p.kind = Kind::Key;
    p.nameBegin = b;
    p.nameEnd = ne;
    if (eq != std::string_view::npos) {
        std::size_t vb = eq + 1;
        while (vb < e && IsBlank(text[vb]))
            ++vb;
        p.valueBegin = vb;
        p.valueEnd = e;
    }
    return p;
}

std::string TempNameBeside(const std::string& fileName) {
    // The name need only seldom be taken: the file is made only where none of that name is, and
    // another name is tried then. The wall clock and where this program was loaded start the
    // sequence (two copies started at once differ in the second), and each step mixes it anew.
    // The C library's clock, not std::chrono's: that one brings a thread library's clock into
    // the exe.
    static std::uint64_t state =
        static_cast<std::uint64_t>(std::time(nullptr)) ^ reinterpret_cast<std::uintptr_t>(&state);
    state += 0x9E3779B97F4A7C15u;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    // Eight hex digits by hand: the printf family would bring its whole formatter into the exe.
    std::string suffix = ".00000000";
    auto bits = static_cast<std::uint32_t>(z ^ (z >> 31));
    for (std::size_t i = suffix.size() - 1; i > 0; --i, bits >>= 4)
        suffix[i] = "0123456789abcdef"[bits & 0xF];
    return fileName + suffix + ".tmp";
}

} // namespace

FileReplacer SetFileReplacer(FileReplacer next) {
    FileReplacer previous = replacer;
    replacer = next != nullptr ? next : &MoveIntoPlace;
    return previous;
}

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {
    sections_.emplace_back();
    bool missing = false;
    std::FILE* f = OpenForReading(fileName_, missing);
    if (f == nullptr) {
        // Missing file or folder: an empty file that a save creates. Anything else (no access,
        // a folder in its place) must not be replaced blind.
        saveable_ = missing;
        exists_ = !missing;
        return;
    }
    exists_ = true;
    std::string content;
    // Read into storage of the file's size, not grown (and outgrown) chunk by chunk. The size is
    // only a hint, taken up to 16 MB: where a folder opens as a file (POSIX), its "size" may be
    // anything, and the read below then fails on its own.
    if (std::fseek(f, 0, SEEK_END) == 0) {
        const long size = std::ftell(f);
        if (size > 0 && size <= (16L << 20))
            content.reserve(static_cast<std::size_t>(size));
        std::rewind(f);
    }
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        content.append(buffer, n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        saveable_ = false;
        return;
    }
    if (content.size() >= 2 && ((content[0] == '\xFF' && content[1] == '\xFE') ||
                                (content[0] == '\xFE' && content[1] == '\xFF'))) {
        saveable_ = false; // UTF-16: not text of ours, and not ours to rewrite
        return;
    }
    // Inside, every text is UTF-8. A file with the mark is UTF-8 whatever it holds; one without
    // it is UTF-8 when every byte of it is, which every ASCII file is. Any other file was written
    // in the ANSI page, by an older version or an ANSI editor: decoded, it reads as it always
    // did, and its next save makes it UTF-8.
    std::string_view view(content);
    utf8Mark_ = view.substr(0, 3) == "\xEF\xBB\xBF";
    if (utf8Mark_)
        view.remove_prefix(3);
    const std::size_t illFormed = FirstIllFormed(view);
    if (illFormed == std::string_view::npos) {
        Parse(view);
        loaded_ = true;
        return;
    }
    std::optional<std::string> decoded =
        utf8Mark_ ? Utf8Repaired(view, illFormed) : AnsiToUtf8(view);
    if (!decoded) {
        saveable_ = false;
        return;
    }
    Parse(*decoded);
    loaded_ = true;
}

void TIniFile::Parse(std::string_view content) {
    // CR LF, CR and LF each end a line, as they do for the platform.
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            AddLine(std::string(content.substr(start)));
            break;
        }
        AddLine(std::string(content.substr(start, end - start)));
        start =
            end +
            (content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n' ? 2 : 1);
    }
}

void TIniFile::AddLine(std::string text) {
    const Parsed p = ParseLine(text);
    Line line;
    line.nameBegin = p.nameBegin;
    line.nameEnd = p.nameEnd;
    line.valueBegin = p.valueBegin;
    line.valueEnd = p.valueEnd;
    if (p.kind == Kind::Header) {
        std::string name =
            Fold(std::string_view(text).substr(p.nameBegin, p.nameEnd - p.nameBegin));
        line.text = std::move(text);
        Section& s = sections_.emplace_back();
        s.lines.push_back(std::move(line));
        s.insertAt = 1;
        sectionIndex_.try_emplace(std::move(name), sections_.size() - 1);
        return;
    }
    Section& s = sections_.back();
    if (p.kind == Kind::Key && sections_.size() > 1) {
        s.keys.try_emplace(
            Fold(std::string_view(text).substr(p.nameBegin, p.nameEnd - p.nameBegin)),
            s.lines.size());
        s.insertAt = s.lines.size() + 1;
    }
    line.text = std::move(text);
    s.lines.push_back(std::move(line));
}

const TIniFile::Line* TIniFile::Find(std::string_view section, std::string_view key) const {
    const auto si = sectionIndex_.find(Fold(Trim(section)));
    if (si == sectionIndex_.end())
        return nullptr;
    const Section& s = sections_[si->second];
    const auto ki = s.keys.find(Fold(Trim(key)));
    return ki == s.keys.end() ? nullptr : &s.lines[ki->second];
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 const std::string& def) const {
    const Line* line = Find(section, key);
    if (line == nullptr || line->valueBegin == std::string::npos)
        return def;
    return ValueOf(
        std::string_view(line->text).substr(line->valueBegin, line->valueEnd - line->valueBegin));
}

std::int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key,
                                   std::int32_t def) const {
    return ParseInteger(ReadString(section, key, std::string())).value_or(def);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    if (closed_)
        throw Exception("TIniFile: write after Close");
    const std::string_view sectionName = Trim(section);
    const std::string_view keyName = Trim(key);
    if (sectionName.empty() || HasLineBreakOrZero(sectionName) ||
        FirstIllFormed(sectionName) != std::string_view::npos)
        throw Exception("TIniFile: unusable section name");
    if (keyName.empty() || HasLineBreakOrZero(keyName) ||
        FirstIllFormed(keyName) != std::string_view::npos ||
        keyName.find('=') != std::string_view::npos || keyName.front() == ';' ||
        keyName.front() == '[')
        throw Exception("TIniFile: unusable key name");

    std::string folded = Fold(sectionName);
    auto si = sectionIndex_.find(folded);
    if (si == sectionIndex_.end()) {
        Section& s = sections_.emplace_back();
        Line header;
        header.text = "[" + std::string(sectionName) + "]";
        header.nameBegin = 1;
        header.nameEnd = 1 + sectionName.size();
        s.lines.push_back(std::move(header));
        s.insertAt = 1;
        si = sectionIndex_.emplace(std::move(folded), sections_.size() - 1).first;
    }
    Section& s = sections_[si->second];

    const std::string stored = StoredValue(value);
    auto ki = s.keys.find(Fold(keyName));
    if (ki != s.keys.end()) {
        Line& line = s.lines[ki->second];
        line.text.resize(line.nameEnd);
        line.text.erase(0, line.nameBegin);
        line.nameBegin = 0;
        line.nameEnd = line.text.size();
        line.text += '=';
        line.text += stored;
        line.valueBegin = line.nameEnd + 1;
        line.valueEnd = line.text.size();
    } else {
        Line line;
        line.text.reserve(keyName.size() + 1 + stored.size());
        line.text.append(keyName).append(1, '=').append(stored);
        line.nameEnd = keyName.size();
        line.valueBegin = keyName.size() + 1;
        line.valueEnd = line.text.size();
        const std::size_t at = s.insertAt;
        s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
        s.keys.emplace(Fold(keyName), at);
        s.insertAt = at + 1;
    }
    // Even an unchanged value counts: the writer expects the file to exist afterwards.
    dirty_ = true;
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::EraseSection(std::string_view section) {
    if (closed_)
        throw Exception("TIniFile: write after Close");
    const std::string folded = Fold(Trim(section));
    for (std::size_t i = 1; i < sections_.size(); ++i) {
        Section& s = sections_[i];
        if (s.lines.empty())
            continue;
        const Line& header = s.lines.front();
        const std::string_view name =
            std::string_view(header.text)
                .substr(header.nameBegin, header.nameEnd - header.nameBegin);
        if (Fold(name) != folded)
            continue;
        s.lines.clear();
        s.keys.clear();
        s.insertAt = 0;
        dirty_ = true;
    }
    sectionIndex_.erase(folded);
}

std::string TIniFile::Content() const {
    std::size_t size = utf8Mark_ ? 3 : 0;
    for (const Section& s : sections_)
        for (const Line& line : s.lines)
            size += line.text.size() + 2;
    std::string out;
    out.reserve(size);
    if (utf8Mark_)
        out += "\xEF\xBB\xBF";
    for (const Section& s : sections_)
        for (const Line& line : s.lines) {
            out += line.text;
            out += "\r\n";
        }
    return out;
}

void TIniFile::UpdateFile() {
    if (!dirty_)
        return;
    const EIniFileException failure("Unable to write to " + fileName_);
    if (!saveable_)
        throw failure;
    // A link is written through to its file, and the new file is made beside that one, on its
    // volume. The read-only mark is the user's protection: never replaced.
    const std::string target = SaveTarget(fileName_);
    if (IsReadOnlyFile(target))
        throw failure;
    const std::string content = Content();

    std::string temp;
    std::FILE* f = nullptr;
    for (int attempt = 0; attempt < 16 && f == nullptr; ++attempt) {
        temp = TempNameBeside(target);
        bool exists = false;
        f = CreateNewFile(temp, exists);
        if (f == nullptr && !exists)
            break;
    }
    if (f == nullptr)
        throw failure;
    bool written = std::fwrite(content.data(), 1, content.size(), f) == content.size();
    written = CommitFile(f) && written;
    written = std::fclose(f) == 0 && written;
    if (!written || !replacer(temp, target)) {
        (void)RemoveFile(temp);
        throw failure;
    }
    dirty_ = false;
}

void TIniFile::Close() {
    UpdateFile();
    closed_ = true;
    sections_.clear();
    sections_.emplace_back();
    sectionIndex_.clear();
}

std::optional<std::int32_t> TIniFile::ParseInteger(std::string_view text) {
    unsigned base = 10;
    bool negative = false;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (!text.empty() && text[0] == '$') {
        base = 16;
        text.remove_prefix(1);
    } else if (!text.empty() && text[0] == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (char c : text) {
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::string TIniFile::StoredValue(std::string_view value) {
    // One stray byte would make the whole file read as ANSI at the next start, every other
    // value with it.
    std::string repaired;
    if (const std::size_t bad = FirstIllFormed(value); bad != std::string_view::npos) {
        repaired = Utf8Repaired(value, bad);
        value = repaired;
    }
    std::string out;
    out.reserve(value.size() + 2);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n')
            continue; // the LF that follows stands for the pair
        out += (c == '\r' || c == '\n' || c == '\0') ? ' ' : c;
    }
    const bool blankAtEnd = !out.empty() && (IsBlank(out.front()) || IsBlank(out.back()));
    const bool enclosed = out.size() >= 2 && IsQuote(out.front()) && out.back() == out.front();
    if (blankAtEnd || enclosed)
        out = '"' + out + '"';
    return out;
}

std::string TIniFile::ValueOf(std::string_view stored) {
    std::string_view v = Trim(stored);
    v = v.substr(0, v.find('\0'));
    if (v.size() >= 2 && IsQuote(v.front()) && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

} // namespace toolkit
