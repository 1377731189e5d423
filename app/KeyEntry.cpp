#include "app/KeyEntry.h"

#include "gen/Gen_func.h"

#include <array>
#include <string_view>

namespace {

constexpr int kShowNormal = 1;       // SW_SHOWNORMAL
constexpr unsigned kBeepDefault = 0; // MB_OK: the system's default sound

// Tried in this order on Enter; the first that holds is opened. A line must be longer than its
// prefix: the prefix alone is no address.
constexpr std::array<std::string_view, 4> kAddressPrefixes{"FTP://", "WWW.", "HTTP:", "MAILTO:"};

void Launch(toolkit::System& system, toolkit::WindowHandle window, const TCommandOptions& options,
            const std::string& file, const std::string& params, const std::string& dir) {
    if (options.Sound)
        system.Beep(kBeepDefault);
    system.Execute(window, "open", file, params, dir, kShowNormal);
}

// True when `keyword`, upper-cased, equals `upper` (upper-cased already): same length, same bytes.
// Compared byte by byte so that the scan allocates nothing per entry.
bool MatchesUpperCased(const std::string& upper, const std::string& keyword) {
    if (upper.size() != keyword.size())
        return false;
    for (std::size_t i = 0; i < upper.size(); ++i)
        if (upper[i] != UpperCaseChar(keyword[i]))
            return false;
    return true;
}

// `candidate` is upper-cased already.
bool IsAddress(const std::string& candidate) {
    for (const auto prefix : kAddressPrefixes) {
        if (candidate.size() > prefix.size() && candidate.compare(0, prefix.size(), prefix) == 0)
            return true;
    }
    return false;
}

} // namespace

bool CommandKeyPress(char& key, const std::string& line, const TCommandOptions& options,
                     const TEntries& entries, toolkit::System& system,
                     toolkit::WindowHandle window) {
    if (key == kKeyEscape) {
        key = 0;
        return true;
    }

    const bool enter = key == kKeyEnter;
    // The typed character goes at the end whatever the caret or selection: what is matched is
    // the old line plus the key, not what the edit box will show afterwards.
    const std::string candidate = UpperCaseText(enter ? line : line + key);
    bool launched = false;

    if (enter || options.NoEnter) {
        // The count is read afresh before each index: a launch may pump messages.
        for (std::int32_t i = 0; i < entries.Count(); ++i) {
            const TDBItem& entry = entries.At(i);
            if (entry.Keyword.empty() || candidate.empty() ||
                !MatchesUpperCased(candidate, entry.Keyword))
                continue;
            // Copied first: the shell may pump messages, and the editor may change the list.
            const TDBItem match = entry;
            Launch(system, window, options, match.Filename, match.Params, match.Directory);
            launched = true;
        }
    }

    if (enter && options.Web && IsAddress(candidate)) {
        Launch(system, window, options, candidate, "", "");
        launched = true;
    }

    if (enter)
        key = 0;
    return launched;
}
