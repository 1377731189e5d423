// Fuzz target: the key-entry decision fed random key streams against random entries.
// Input: a few entries split at 0x01, each keyword 0x00 file [0x00 params [0x00 folder]], then a
// key stream after 0x02 (UTF-8 characters, each taken whole by its first byte); the stream's first
// byte picks the options (bit 8: a known exe folder). Checks the invariants a user relies on: Enter
// and Escape are always swallowed, no other key ever is, Escape never launches, and a launch always
// hides the window; each key press launches exactly the entries its line names (an entry that takes
// text only on Enter, with text or bare) and the typed address; what the user typed is never handed
// to the environment expansion; and text put into a web address is encoded, bringing no blank or
// control byte with it.
#include "app/KeyEntry.h"
#include "gen/Gen_func.h"
#include "support/Recorder.h"

#include <cstdint>
#include <cstdlib>
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

bool TakesText(const TDBItem& entry) {
    return UpperCaseText(entry.Filename).find("$W$") != std::string::npos ||
           UpperCaseText(entry.Params).find("$W$") != std::string::npos;
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
        if ((whole && (enter || !TakesText(entry))) || (withText && TakesText(entry)))
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
    }
    testing_support::Recorder system;
    system.Environment = {{"S", "https://s.example/?q="}, {"UP", ".."}, {"P", "%P%"}};
    std::string line;
    for (std::size_t i = 1; i < keys.size(); ++i) {
        // A typed character comes whole, as its UTF-8 bytes: as many as its first byte says.
        const auto lead = static_cast<unsigned char>(keys[i]);
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        std::string key = keys.substr(i, length);
        i += key.size() - 1;
        const std::string typed = key;
        const auto before = system.Calls.size();
        const auto executesBefore = system.Only("execute").size();
        const auto expansionsBefore = system.Expansions.size();
        const bool enter = typed == std::string(1, kKeyEnter);
        const bool escape = typed == std::string(1, kKeyEscape);
        const std::string candidate = system.UpperCase(enter ? line : line + typed);
        const std::vector<int> expected = Expected(candidate, enter, options, entries, system);
        const bool address = enter && options.Web && IsAddress(candidate);

        const bool hide = CommandKeyPress(key, line, options, entries, system, nullptr);

        const auto executes = system.Only("execute");
        const bool launched = executes.size() > executesBefore;
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
        if (!options.Sound && !system.Only("beep").empty())
            std::abort();
        if (!escape) {
            if (executes.size() - executesBefore != expected.size() + (address ? 1 : 0))
                std::abort();
            if (address && executes.back().Args[1] != candidate)
                std::abort();
            for (std::size_t k = 0; k < expected.size(); ++k) {
                const TDBItem& entry = entries.At(expected[k]);
                const std::string& file = executes[executesBefore + k].Args[1];
                if (TakesText(entry) && IsWeb(entry.Filename) && Printable(entry.Filename) &&
                    !Printable(file))
                    std::abort();
            }
        }
        for (std::size_t k = expansionsBefore; k < system.Expansions.size(); ++k) {
            const std::string& asked = system.Expansions[k];
            bool stored = false;
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
    }
    return 0;
}
