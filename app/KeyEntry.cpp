#include "app/KeyEntry.h"

#include "gen/Gen_func.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace {

constexpr int kShowNormal = 1;        // SW_SHOWNORMAL
constexpr unsigned kBeepDefault = 0;  // MB_OK: the system's default sound
constexpr unsigned kBeepError = 0x10; // MB_ICONHAND: the system's error sound
constexpr std::size_t kNone = std::string::npos;

// Tried in this order on Enter; the first that holds is opened. A line must be longer than its
// prefix: the prefix alone is no address.
constexpr std::string_view kWww = "WWW.";
constexpr std::array<std::string_view, 4> kAddressPrefixes{"FTP://", kWww, "HTTP:", "MAILTO:"};

// A Filename beginning with one of these (in any letter case) is a web or ftp address: the typed
// text goes into it percent-encoded.
constexpr std::array<std::string_view, 3> kWebPrefixes{"HTTP:", "HTTPS:", "FTP:"};

void Launch(toolkit::System& system, toolkit::WindowHandle window, const TCommandOptions& options,
            const std::string& verb, const std::string& file, const std::string& params,
            const std::string& dir) {
    if (options.Sound)
        system.Beep(kBeepDefault);
    system.Execute(window, verb, file, params, dir, kShowNormal);
}

// A launch whose outcome counts. "runas" is registered for programs only: where the file's type
// has no such verb (a document, a folder) it opens as the user instead of failing.
toolkit::ExecuteOutcome TryLaunch(toolkit::System& system, toolkit::WindowHandle window,
                                  bool elevate, const std::string& file, const std::string& params,
                                  const std::string& dir) {
    toolkit::ExecuteOutcome outcome =
        system.TryExecute(window, elevate ? "runas" : "open", file, params, dir, kShowNormal);
    if (elevate && outcome == toolkit::ExecuteOutcome::NoVerb)
        outcome = system.TryExecute(window, "open", file, params, dir, kShowNormal);
    return outcome;
}

// The confirmation follows the start here: before it, it is not known whether one came. A refused
// consent prompt is the user's own answer and needs no sound.
void SoundFor(toolkit::ExecuteOutcome outcome, const TCommandOptions& options,
              toolkit::System& system) {
    if (outcome == toolkit::ExecuteOutcome::Started) {
        if (options.Sound)
            system.Beep(kBeepDefault);
    } else if (outcome != toolkit::ExecuteOutcome::Declined) {
        system.Beep(kBeepError);
    }
}

// Whether `file` begins with a scheme ("http:", "mailto:", "shell:"): letters and digits before a
// colon, two at least, so that a drive letter is none.
bool HasScheme(const std::string& file) {
    const std::size_t colon = file.find(':');
    if (colon == kNone || colon < 2)
        return false;
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = file[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && (i == 0 || !((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.')))
            return false;
    }
    return true;
}

// A launch as administrator where that is asked and possible, else as the user. Addresses have no
// "runas" (the shell would show its own error box and start nothing), so they open as the user.
// Returns whether something started: a launch as administrator that did not start counts as none.
bool LaunchAsAsked(toolkit::System& system, toolkit::WindowHandle window,
                   const TCommandOptions& options, bool elevate, const std::string& file,
                   const std::string& params, const std::string& dir) {
    if (!elevate || HasScheme(file)) {
        Launch(system, window, options, "open", file, params, dir);
        return true;
    }
    const toolkit::ExecuteOutcome outcome = TryLaunch(system, window, true, file, params, dir);
    SoundFor(outcome, options, system);
    return outcome == toolkit::ExecuteOutcome::Started;
}

// Whether `upper` is `keyword` (both upper-cased), one blank and at least one more character.
bool HoldsTextAfter(std::string_view upper, std::string_view keyword) {
    const std::size_t n = keyword.size();
    return upper.size() >= n + 2 && upper[n] == ' ' && upper.substr(0, n) == keyword;
}

// Where the text after a keyword of `blanks` blanks starts in the line as typed. Counted by
// blanks rather than bytes: upper-casing may change a character's length (a dotless i becomes
// I), but it never makes or takes a blank.
std::size_t TextStart(const std::string& line, std::size_t blanks) {
    std::size_t at = 0;
    for (std::size_t seen = 0;; ++seen, ++at) {
        at = line.find(' ', at);
        if (at == kNone || seen == blanks)
            return at == kNone ? line.size() : at + 1;
    }
}

// `candidate` is upper-cased already.
bool IsAddress(const std::string& candidate) {
    for (const auto prefix : kAddressPrefixes) {
        if (candidate.size() > prefix.size() && candidate.compare(0, prefix.size(), prefix) == 0)
            return true;
    }
    return false;
}

// What a typed address is opened as. A "WWW." line has no scheme, and the shell looks for a file
// of that name first (in the current folder, and .COM is a program's extension): it goes out as a
// web address. The other prefixes carry their scheme.
std::string AddressToOpen(const std::string& candidate) {
    return candidate.compare(0, kWww.size(), kWww) == 0 ? "http://" + candidate : candidate;
}

bool StartsCaseBlind(const std::string& text, std::string_view upperPrefix) {
    if (text.size() < upperPrefix.size())
        return false;
    for (std::size_t i = 0; i < upperPrefix.size(); ++i)
        if (UpperCaseChar(text[i]) != upperPrefix[i])
            return false;
    return true;
}

bool IsWebAddress(const std::string& file) {
    for (const auto prefix : kWebPrefixes)
        if (StartsCaseBlind(file, prefix))
            return true;
    return false;
}

// The placeholder's letter at `at` ('W' or 'C', upper-cased), or 0 when none begins there.
char PlaceholderAt(const std::string& text, std::size_t at) {
    if (at + 3 > text.size() || text[at] != '$' || text[at + 2] != '$')
        return 0;
    const char letter = text[at + 1] == 'w' ? 'W' : text[at + 1] == 'c' ? 'C' : text[at + 1];
    return letter == 'W' || letter == 'C' ? letter : 0;
}

bool HoldsPlaceholder(const std::string& text, char letter) {
    for (std::size_t at = text.find('$'); at != kNone; at = text.find('$', at + 1))
        if (PlaceholderAt(text, at) == letter)
            return true;
    return false;
}

// Every placeholder of the typed text (when given) and of the clipboard's (when given), left to
// right, replaced by its text; what a text brings in is not looked at again.
std::string ReplacePlaceholders(const std::string& text, const std::string* typed,
                                const std::string* clip) {
    std::string out;
    std::size_t pos = 0;
    for (std::size_t at = text.find('$'); at != kNone; at = text.find('$', at)) {
        const char letter = PlaceholderAt(text, at);
        const std::string* with = letter == 'W' ? typed : letter == 'C' ? clip : nullptr;
        if (with == nullptr) {
            ++at;
            continue;
        }
        out.append(text, pos, at - pos);
        out += *with;
        pos = at += 3;
    }
    out.append(text, pos, kNone);
    return out;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Trimmed(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// Every byte outside the unreserved characters (letters, digits, - . _ ~) as %XX.
std::string PercentEncoded(const std::string& utf8) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(utf8.size() * 3);
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
            b == '-' || b == '.' || b == '_' || b == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        }
    }
    return out;
}

// A text without a percent sign has nothing to expand: the platform is not asked.
std::string Expanded(toolkit::System& system, const std::string& text) {
    return text.find('%') == kNone ? text : system.ExpandEnvironment(text);
}

// Length of the root of an absolute folder ("C:\", "\\server\share\", "\"): ".." stops there.
std::size_t RootLength(const std::string& folder) {
    if (folder.size() >= 3 && folder[1] == ':' && folder[2] == '\\')
        return 3;
    if (folder.rfind("\\\\", 0) == 0) {
        const std::size_t server = folder.find('\\', 2);
        const std::size_t share = server == kNone ? kNone : folder.find('\\', server + 1);
        return share == kNone ? folder.size() : share + 1;
    }
    return folder.empty() || folder[0] != '\\' ? 0 : 1;
}

bool IsSlash(char c) {
    return c == '\\' || c == '/';
}

// 2 for a leading ".\" (or "./") at `at`, 3 for "..\" (or "../"), else 0.
std::size_t RelativeStep(const std::string& path, std::size_t at) {
    if (path.size() > at + 1 && path[at] == '.' && IsSlash(path[at + 1]))
        return 2;
    if (path.size() > at + 2 && path[at] == '.' && path[at + 1] == '.' && IsSlash(path[at + 2]))
        return 3;
    return 0;
}

// A path beginning with .\ or ..\ taken from the exe's folder instead of the current folder. The
// leading steps are resolved here, so the shell and the program started see a plain path.
std::string FromExeFolder(const std::string& path, const std::string& exeFolder) {
    if (RelativeStep(path, 0) == 0 || exeFolder.empty())
        return path;
    // ExeFolder carries one backslash more than the folder needs.
    std::string base = exeFolder;
    while (!base.empty() && base.back() == '\\')
        base.pop_back();
    base += '\\';
    const std::size_t root = RootLength(base);
    std::size_t pos = 0;
    for (std::size_t step = RelativeStep(path, pos); step != 0; step = RelativeStep(path, pos)) {
        if (step == 3 && base.size() > root) {
            const std::size_t parent = base.find_last_of('\\', base.size() - 2);
            base.resize(parent == kNone || parent + 1 < root ? root : parent + 1);
        }
        pos += step;
    }
    return base + path.substr(pos);
}

struct TLaunchFields {
    std::string File;
    std::string Params;
    std::string Dir;
};

// The order matters: the stored fields are expanded before the typed text goes in, so that what
// the user types ("%PATH%", ".\X") reaches the program as typed.
// Empty when the clipboard's text would break out of the entry's quotes (ClipboardFits).
std::optional<TLaunchFields> Prepare(const TDBItem& entry, bool takesText, const std::string& text,
                                     const TCommandOptions& options, toolkit::System& system) {
    TLaunchFields fields{LaunchPath(entry.Filename, options, system),
                         Expanded(system, entry.Params),
                         LaunchPath(entry.Directory, options, system)};
    const bool clipped = HoldsPlaceholder(fields.File, 'C') || HoldsPlaceholder(fields.Params, 'C');
    if (!takesText && !clipped)
        return fields;
    const std::string clip = clipped ? ClipboardLine(system.ClipboardText()) : std::string();
    if (clipped && !ClipboardFits(clip, fields.File, fields.Params))
        return std::nullopt;
    const std::string* typed = takesText ? &text : nullptr;
    const std::string* clipText = clipped ? &clip : nullptr;
    if (IsWebAddress(fields.File)) {
        const std::string typedEncoded = PercentEncoded(text), clipEncoded = PercentEncoded(clip);
        fields.File = ReplacePlaceholders(fields.File, typed ? &typedEncoded : nullptr,
                                          clipText ? &clipEncoded : nullptr);
    } else {
        fields.File = ReplacePlaceholders(fields.File, typed, clipText);
    }
    fields.Params = ReplacePlaceholders(fields.Params, typed, clipText);
    return fields;
}

bool IsControlOrBlank(char c) {
    return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F;
}

} // namespace

bool ClipboardFits(const std::string& clipLine, const std::string& file,
                   const std::string& params) {
    if (clipLine.find('"') == kNone)
        return true;
    return !HoldsPlaceholder(params, 'C') && (!HoldsPlaceholder(file, 'C') || IsWebAddress(file));
}

bool IsAbsolutePath(const std::string& path) {
    if (path.size() >= 3 && path[1] == ':' && IsSlash(path[2]))
        return (path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z');
    return path.size() >= 2 && IsSlash(path[0]) && IsSlash(path[1]);
}

bool IsBareName(const std::string& name) {
    return !name.empty() && name.find_first_of("\\/:") == kNone &&
           name.find_first_not_of('.') != kNone;
}

namespace {

// An environment variable's value, empty when it is not set (the expansion then keeps the name).
std::string Variable(toolkit::System& system, const std::string& name) {
    const std::string reference = '%' + name + '%';
    const std::string value = system.ExpandEnvironment(reference);
    return value == reference ? std::string() : value;
}

// The parts of a list such as PATH between semicolons, without blanks or quotes around them.
std::vector<std::string> ListParts(const std::string& list) {
    std::vector<std::string> parts;
    std::size_t pos = 0;
    while (pos <= list.size()) {
        std::size_t end = list.find(';', pos);
        if (end == kNone)
            end = list.size();
        std::string part = Trimmed(list.substr(pos, end - pos));
        if (part.size() >= 2 && part.front() == '"' && part.back() == '"')
            part = part.substr(1, part.size() - 2);
        if (!part.empty())
            parts.push_back(part);
        pos = end + 1;
    }
    return parts;
}

} // namespace

std::string FindProgram(const std::string& name, toolkit::System& system) {
    if (!IsBareName(name))
        return std::string();
    const std::string registered = system.RegisteredProgram(name);
    if (IsAbsolutePath(registered) && system.PathExists(registered))
        return registered;
    std::vector<std::string> folders{system.SystemFolder(), system.WindowsFolder()};
    for (std::string& folder : ListParts(Variable(system, "PATH")))
        folders.push_back(std::move(folder));
    std::vector<std::string> extensions;
    for (std::string& extension : ListParts(Variable(system, "PATHEXT")))
        if (extension.size() > 1 && extension[0] == '.')
            extensions.push_back(std::move(extension));
    if (extensions.empty())
        extensions = {".COM", ".EXE", ".BAT", ".CMD"};
    const bool hasExtension = name.find('.') != kNone;
    for (std::string folder : folders) {
        // A relative folder in PATH (".", or one a program added carelessly) would bring the
        // current folder back in.
        if (!IsAbsolutePath(folder))
            continue;
        while (!folder.empty() && IsSlash(folder.back()))
            folder.pop_back();
        const std::string base = folder + '\\' + name;
        if (hasExtension && system.PathExists(base))
            return base;
        for (const std::string& extension : extensions)
            if (system.PathExists(base + extension))
                return base + extension;
    }
    return std::string();
}

bool TakesText(const TDBItem& entry) {
    return HoldsPlaceholder(entry.Filename, 'W') || HoldsPlaceholder(entry.Params, 'W');
}

std::string LaunchPath(const std::string& stored, const TCommandOptions& options,
                       toolkit::System& system) {
    return FromExeFolder(Expanded(system, stored), options.ExeFolder);
}

std::string ClipboardLine(const std::string& clipboard) {
    std::size_t begin = 0;
    for (;;) {
        while (begin < clipboard.size() && IsControlOrBlank(clipboard[begin]) &&
               clipboard[begin] != '\r' && clipboard[begin] != '\n')
            ++begin;
        if (begin == clipboard.size() || (clipboard[begin] != '\r' && clipboard[begin] != '\n'))
            break;
        ++begin; // a line of blanks only: the next one
    }
    std::size_t end = clipboard.find_first_of("\r\n", begin);
    if (end == kNone)
        end = clipboard.size();
    while (end > begin && IsControlOrBlank(clipboard[end - 1]))
        --end;
    return clipboard.substr(begin, end - begin);
}

TTypedCommand SplitCommand(const std::string& line) {
    const std::string text = Trimmed(line);
    TTypedCommand command;
    std::size_t rest = text.size();
    if (!text.empty() && text[0] == '"') {
        const std::size_t close = text.find('"', 1);
        command.Program = text.substr(1, close == kNone ? kNone : close - 1);
        if (close != kNone)
            rest = close + 1;
    } else {
        const std::size_t blank = text.find_first_of(" \t");
        command.Program = text.substr(0, blank);
        if (blank != kNone)
            rest = blank;
    }
    const std::size_t params = text.find_first_not_of(" \t", rest);
    if (params != kNone)
        command.Params = text.substr(params);
    return command;
}

toolkit::ExecuteOutcome RunTypedCommand(const std::string& line, const TCommandOptions& options,
                                        toolkit::System& system, toolkit::WindowHandle window) {
    // The whole line first: a path with blanks in it needs no quotes. Otherwise each part is
    // expanded on its own, so that a variable's value with blanks stays one program name. Only
    // a whole path counts: a relative one would be found in the current folder, the exe's.
    const std::string whole = Expanded(system, Trimmed(line));
    TTypedCommand command;
    if (IsAbsolutePath(whole) && system.PathExists(whole)) {
        command.Program = whole;
    } else {
        command = SplitCommand(line);
        command.Program = Expanded(system, command.Program);
        command.Params = Expanded(system, command.Params);
    }
    // The shell would look for a bare name in the current folder first, and that is the exe's
    // folder, which a portable copy leaves writable: a "cmd.bat" put there must not run when
    // "cmd" is typed. The name goes out as the full path found without that folder; ".\tool"
    // still names the current folder, as typed.
    if (IsBareName(command.Program))
        command.Program = FindProgram(command.Program, system);
    const toolkit::ExecuteOutcome outcome =
        command.Program.empty()
            ? toolkit::ExecuteOutcome::Failed
            : TryLaunch(system, window, options.Elevate, command.Program, command.Params, "");
    SoundFor(outcome, options, system);
    return outcome == toolkit::ExecuteOutcome::NoVerb ? toolkit::ExecuteOutcome::Failed : outcome;
}

bool LaunchEntry(const TDBItem& entry, const std::string& text, const TCommandOptions& options,
                 toolkit::System& system, toolkit::WindowHandle window) {
    const std::optional<TLaunchFields> fields =
        Prepare(entry, TakesText(entry), text, options, system);
    if (!fields) {
        system.Beep(kBeepError);
        return false;
    }
    // An entry marked to run as administrator asks for it whichever way it was launched.
    return LaunchAsAsked(system, window, options, entry.RunAs || options.Elevate, fields->File,
                         fields->Params, fields->Dir);
}

bool CommandKeyPress(std::string& key, const std::string& line, const TCommandOptions& options,
                     const TEntries& entries, toolkit::System& system, toolkit::WindowHandle window,
                     std::string* launchedLine) {
    if (key.size() == 1 && key[0] == kKeyEscape) {
        key.clear();
        return true;
    }

    const bool enter = key.size() == 1 && key[0] == kKeyEnter;
    // The typed character goes at the end whatever the caret or selection: what is matched is
    // the old line plus the key, not what the edit box will show afterwards.
    const std::string candidate = system.UpperCase(enter ? line : line + key);
    const TEntries::TCaseMap upperCase = [&system](const std::string& text) {
        return system.UpperCase(text);
    };
    bool launched = false;

    if ((enter || options.NoEnter) && !candidate.empty()) {
        // Text after a keyword counts on Enter only (typing goes on while it is written), and
        // needs a blank: without one the scan costs what the plain match costs.
        const bool mayHoldText = enter && candidate.find(' ') != kNone;
        // The count is read afresh before each index: a launch may pump messages.
        for (std::int32_t i = 0; i < entries.Count(); ++i) {
            const TDBItem& entry = entries.At(i);
            if (entry.Keyword.empty())
                continue;
            const std::string& keyword = entries.UpperKeyword(i, upperCase);
            const bool whole = candidate == keyword;
            const bool withText = !whole && mayHoldText && HoldsTextAfter(candidate, keyword);
            if (!whole && !withText)
                continue;
            const bool takesText = TakesText(entry);
            if (whole ? takesText && !enter : !takesText)
                continue;
            // Copied first: the shell may pump messages, and the editor may change the list.
            const TDBItem match = entry;
            // The text as the line holds it: it is data, not matched, so it is not upper-cased
            // again here.
            const std::string text =
                withText
                    ? line.substr(TextStart(line, std::count(keyword.begin(), keyword.end(), ' ')))
                    : std::string();
            launched = LaunchEntry(match, text, options, system, window) || launched;
        }
    }

    if (enter && options.Web && IsAddress(candidate)) {
        Launch(system, window, options, "open", AddressToOpen(candidate), "", "");
        launched = true;
    }

    if (enter && !launched && options.RunTyped && !Trimmed(line).empty())
        launched =
            RunTypedCommand(line, options, system, window) == toolkit::ExecuteOutcome::Started;

    if (enter)
        key.clear();
    if (launched && launchedLine != nullptr)
        *launchedLine = candidate;
    return launched;
}

bool CommandKeyPress(char& key, const std::string& line, const TCommandOptions& options,
                     const TEntries& entries, toolkit::System& system,
                     toolkit::WindowHandle window) {
    std::string typed(1, key);
    const bool hide = CommandKeyPress(typed, line, options, entries, system, window);
    key = typed.empty() ? 0 : typed[0];
    return hide;
}
