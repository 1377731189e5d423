// Fuzz target: the key-entry decision fed random key streams against random entries.
// Input: a few entries split at 0x01, each keyword 0x00 file [0x00 params [0x00 folder]], then a
// key stream after 0x02 (UTF-8 characters, each taken whole by its first byte); the stream's first
// byte picks the options (bit 8: a known exe folder, 16: typed commands, 32: Enter as
// administrator, 64: a clipboard text holding a double quote); 0x1E and 0x1F in the stream are Up
// and Down. Checks the invariants a user relies on: Enter and Escape are always swallowed, no
// other key ever is, Escape never launches, and a launch always hides the window; each key press
// launches exactly the entries its line names (an entry that takes text only on Enter, with text
// or bare) and the typed address, less the entries where a clipboard text with a double quote
// would go anywhere but into a web address, and on Enter a line that launched nothing runs as
// one command when asked; the line that launched is reported; everything but an address goes out
// as administrator exactly when asked; a typed command never hands the shell a bare program name
// (it would be looked for in the exe's folder first); what the user typed is never handed to the
// environment expansion except as a typed command; the clipboard is read only for an entry that
// asks for it; text put into a web address is encoded, bringing no blank or control byte with it.
// The history keeps each line once, at most its capacity, and recalls only lines with the prefix.
#include "app/History.h"
#include "app/KeyEntry.h"
#include "gen/Gen_func.h"
#include "support/Recorder.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Fields(const std::string& record) {
    std::vector<std::string> fields;
    std::size_t pos = 0;
    for (;;) {
        const auto zero = record.find('\0', pos);
        fields.push_back(record.substr(pos, zero == std::string::npos ? zero : zero - pos));
        if (zero == std::string::npos || fields.size() == 4)
            break;
        pos = zero + 1;
    }
    fields.resize(4);
    return fields;
}

// The fuzz target's own reading of the placeholders, kept apart from the code under test.
bool HoldsTyped(const TDBItem& entry) {
    return UpperCaseText(entry.Filename).find("$W$") != std::string::npos ||
           UpperCaseText(entry.Params).find("$W$") != std::string::npos;
}

bool HoldsClip(const std::string& text) {
    return UpperCaseText(text).find("$C$") != std::string::npos;
}

bool TakesClipboard(const TDBItem& entry) {
    return HoldsClip(entry.Filename) || HoldsClip(entry.Params);
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsWeb(const std::string& file) {
    const std::string upper = UpperCaseText(file);
    return StartsWith(upper, "HTTP:") || StartsWith(upper, "HTTPS:") || StartsWith(upper, "FTP:");
}

bool Printable(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7F)
            return false;
    return true;
}

// The entries that one key press must launch, in list order.
std::vector<int> Expected(const std::string& candidate, bool enter, const TCommandOptions& options,
                          const TEntries& entries, toolkit::System& system) {
    std::vector<int> launched;
    if (!(enter || options.NoEnter) || candidate.empty())
        return launched;
    for (std::int32_t i = 0; i < entries.Count(); ++i) {
        const TDBItem& entry = entries.At(i);
        const std::string keyword = system.UpperCase(entry.Keyword);
        if (keyword.empty())
            continue;
        const bool whole = candidate == keyword;
        const bool withText =
            enter && candidate.size() >= keyword.size() + 2 && StartsWith(candidate, keyword + " ");
        if ((whole && (enter || !HoldsTyped(entry))) || (withText && HoldsTyped(entry)))
            launched.push_back(i);
    }
    return launched;
}

bool IsAddress(const std::string& candidate) {
    for (const std::string prefix : {"FTP://", "WWW.", "HTTP:", "MAILTO:"})
        if (candidate.size() > prefix.size() && StartsWith(candidate, prefix))
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const auto split = input.find('\x02');
    const std::string table = input.substr(0, split);
    const std::string keys = split == std::string::npos ? "" : input.substr(split + 1);

    TEntries entries;
    std::size_t pos = 0;
    while (pos < table.size() && entries.Count() < 64) {
        auto end = table.find('\x01', pos);
        if (end == std::string::npos)
            end = table.size();
        const auto f = Fields(table.substr(pos, end - pos));
        entries.Append({"n", f[1], f[3], f[2], f[0]});
        pos = end + 1;
    }

    TCommandOptions options;
    if (!keys.empty()) {
        options.NoEnter = keys[0] & 1;
        options.Web = keys[0] & 2;
        options.Sound = keys[0] & 4;
        if (keys[0] & 8)
            options.ExeFolder = "C:\\Stick\\Tools\\\\";
        options.RunTyped = keys[0] & 16;
        options.Elevate = keys[0] & 32;
    }
    const bool quotedClip = !keys.empty() && (keys[0] & 64);
    testing_support::Recorder system;
    system.Environment = {
        {"S", "https://s.example/?q="}, {"UP", ".."}, {"P", "%P%"}, {"PATH", ".;C:\\Bin;Stick"}};
    system.Clipboard = quotedClip ? " a\" & calc \"\r\nnext" : " clip \xC3\xA9\r\nnext";
    // Programs beside the exe and in the current folder that a bare name must never reach, and
    // some it may.
    system.ExistingPaths = {
        "C:\\Stick\\Tools\\cmd.BAT",     ".\\x.EXE", "x.EXE", "Stick\\x.EXE", "C:\\Bin\\x.EXE",
        "C:\\Windows\\System32\\cmd.EXE"};
    THistory history;
    std::string prefix; // the line before the first Up of a recall, while one goes on
    std::string shown;  // the line as the last Up or Down left it
    bool recalling = false;
    std::string line;
    for (std::size_t i = 1; i < keys.size(); ++i) {
        // A typed character comes whole, as its UTF-8 bytes: as many as its first byte says.
        const auto lead = static_cast<unsigned char>(keys[i]);
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        std::string key = keys.substr(i, length);
        i += key.size() - 1;
        if (key == "\x1E" || key == "\x1F") {
            // The line as the last recall left it, unchanged since: the recall goes on.
            const bool goesOn = recalling && line == shown;
            const bool up = key == "\x1E";
            if (!goesOn)
                prefix = line;
            const auto recalled = up ? history.Older(line) : history.Newer(line);
            recalling = up || goesOn;
            if (recalled) {
                const bool known = std::find(history.Lines().begin(), history.Lines().end(),
                                             *recalled) != history.Lines().end();
                if (!recalling ||
                    (*recalled != prefix && (!StartsWith(*recalled, prefix) || !known)))
                    std::abort();
                line = *recalled;
            }
            shown = line;
            continue;
        }
        const std::string typed = key;
        const auto before = system.Calls.size();
        const auto executesBefore = system.Only("execute").size();
        const auto triesBefore = system.Only("tryexecute").size();
        const auto clipboardsBefore = system.Only("clipboard").size();
        const auto expansionsBefore = system.Expansions.size();
        const bool enter = typed == std::string(1, kKeyEnter);
        const bool escape = typed == std::string(1, kKeyEscape);
        const std::string candidate = system.UpperCase(enter ? line : line + typed);
        const std::vector<int> expected = Expected(candidate, enter, options, entries, system);
        const bool address = enter && options.Web && IsAddress(candidate);

        const std::string lineBefore = line;
        // Longer than any line can grow here: no candidate is ever this.
        const std::string unset(1000, '?');
        std::string launchedLine = unset;
        const bool hide =
            CommandKeyPress(key, line, options, entries, system, nullptr, &launchedLine);

        const auto executes = system.Only("execute");
        const auto tries = system.Only("tryexecute");
        const bool launched = executes.size() > executesBefore || tries.size() > triesBefore;
        // The entries named that may start: a clipboard text with a quote goes only into a web
        // address, where it is encoded.
        std::size_t startable = 0;
        for (const int e : expected) {
            const TDBItem& entry = entries.At(e);
            const bool refused =
                quotedClip &&
                (HoldsClip(entry.Params) ||
                 (HoldsClip(entry.Filename) && !IsWeb(system.ExpandEnvironment(entry.Filename))));
            startable += refused ? 0 : 1;
        }
        // A line that launched nothing else, run as a command: once, on Enter, when asked.
        const bool runsTyped = enter && options.RunTyped && startable == 0 && !address &&
                               lineBefore.find_first_not_of(" \t") != std::string::npos;
        const std::size_t typedTries = runsTyped ? tries.size() - triesBefore : 0;
        if (typedTries > 1)
            std::abort();
        if (runsTyped && typedTries == 0 && system.Only("beep").back().Number != 0x10)
            std::abort();
        // Whatever the typed command starts, the shell never gets a bare name to look for, and
        // the search never finds one in the exe's folder or through a relative PATH folder.
        if (typedTries == 1) {
            const std::string& file = tries.back().Args[1];
            const bool searched =
                SplitCommand(lineBefore).Program.find_first_of("\\/:") == std::string::npos;
            const bool planted = file == "C:\\Stick\\Tools\\cmd.BAT" || file == "x.EXE" ||
                                 file == "Stick\\x.EXE" || file == ".\\x.EXE";
            if (IsBareName(file) || (searched && planted))
                std::abort();
        }
        if (!escape && executes.size() - executesBefore + tries.size() - triesBefore - typedTries !=
                           startable + (address ? 1 : 0))
            std::abort();
        if ((hide && !escape) != (launchedLine != unset) ||
            (hide && !escape && launchedLine != candidate))
            std::abort();
        if (hide && !escape)
            history.Add(launchedLine);
        // As administrator through a launch whose outcome counts; an address as the user.
        for (std::size_t k = executesBefore; k < executes.size(); ++k)
            if (executes[k].Args[0] != "open" ||
                (options.Elevate && executes[k].Args[1].find(':') == std::string::npos))
                std::abort();
        for (std::size_t k = triesBefore; k < tries.size(); ++k)
            if ((tries[k].Args[0] == "runas") != options.Elevate)
                std::abort();
        std::size_t clipped = 0;
        for (const int e : expected)
            clipped += TakesClipboard(entries.At(e));
        if (system.Only("clipboard").size() - clipboardsBefore != clipped)
            std::abort();
        if (enter || escape) {
            if (!key.empty())
                std::abort();
        } else if (key != typed) {
            std::abort();
        }
        if (escape && (!hide || system.Calls.size() != before))
            std::abort();
        if (launched && !hide)
            std::abort();
        // With Sound off the only sound is the error sound of a command that could not start.
        for (const auto& beep : system.Only("beep"))
            if (!options.Sound && beep.Number != 0x10)
                std::abort();
        if (!escape) {
            // A typed www. address goes out with its scheme, so that no file of that name runs.
            const std::string opened =
                StartsWith(candidate, "WWW.") ? "http://" + candidate : candidate;
            if (address && executes.back().Args[1] != opened)
                std::abort();
            // The launches of this key in order: the entries that may start first, in list order.
            std::vector<std::string> files;
            for (std::size_t c = before; c < system.Calls.size(); ++c)
                if (system.Calls[c].What == "execute" || system.Calls[c].What == "tryexecute")
                    files.push_back(system.Calls[c].Args[1]);
            std::size_t at = 0;
            for (const int e : expected) {
                const TDBItem& entry = entries.At(e);
                if (quotedClip && TakesClipboard(entry))
                    break; // which of them started is counted above
                const std::string& file = files.at(at++);
                if (HoldsTyped(entry) && IsWeb(entry.Filename) && Printable(entry.Filename) &&
                    !Printable(file))
                    std::abort();
            }
        }
        for (std::size_t k = expansionsBefore; k < system.Expansions.size(); ++k) {
            const std::string& asked = system.Expansions[k];
            // A typed command is the user's own: it is expanded whole and in its parts, as the
            // Run dialog does.
            const TTypedCommand split = SplitCommand(lineBefore);
            const std::size_t first = lineBefore.find_first_not_of(" \t");
            const std::size_t last = lineBefore.find_last_not_of(" \t");
            bool stored = runsTyped && (asked == split.Program || asked == split.Params ||
                                        asked == lineBefore.substr(first, last - first + 1) ||
                                        asked == "%PATH%" || asked == "%PATHEXT%");
            for (std::int32_t e = 0; e < entries.Count() && !stored; ++e) {
                const TDBItem& entry = entries.At(e);
                stored =
                    asked == entry.Filename || asked == entry.Params || asked == entry.Directory;
            }
            if (!stored)
                std::abort();
        }
        if (hide)
            line.clear();
        else if (key == "\b" && !line.empty())
            line.pop_back();
        else
            line += key;
        if (line.size() > 256)
            line.clear();
        // A hidden window starts afresh when shown.
        if (hide) {
            history.EndRecall();
            recalling = false;
        }
    }
    std::set<std::string> distinct(history.Lines().begin(), history.Lines().end());
    if (distinct.size() != history.Lines().size() || distinct.size() > THistory::kCapacity ||
        distinct.count(""))
        std::abort();
    return 0;
}
