// Fuzz target: the key-entry decision fed random key streams against random entries.
// Input: a few entries (keyword + file, split at 0x00 / 0x01), then a key stream after 0x02.
// Checks the invariants a user relies on: Enter and Escape are always swallowed, no other key
// ever is, Escape never launches, and a launch always hides the window.
#include "app/KeyEntry.h"
#include "support/Recorder.h"

#include <cstdint>
#include <cstdlib>
#include <string>

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
        const std::string record = table.substr(pos, end - pos);
        const auto zero = record.find('\0');
        entries.Append({"n", record.substr(zero == std::string::npos ? 0 : zero + 1), "", "",
                        record.substr(0, zero)});
        pos = end + 1;
    }

    TCommandOptions options;
    if (!keys.empty()) {
        options.NoEnter = keys[0] & 1;
        options.Web = keys[0] & 2;
        options.Sound = keys[0] & 4;
    }
    testing_support::Recorder system;
    std::string line;
    for (std::size_t i = 1; i < keys.size(); ++i) {
        char key = keys[i];
        const char typed = key;
        const auto before = system.Calls.size();
        const bool hide = CommandKeyPress(key, line, options, entries, system, nullptr);
        const bool launched = system.Only("execute").size() > 0 && system.Calls.size() > before;
        if (typed == kKeyEnter || typed == kKeyEscape) {
            if (key != 0)
                std::abort();
        } else if (key != typed) {
            std::abort();
        }
        if (typed == kKeyEscape && (!hide || system.Calls.size() != before))
            std::abort();
        if (launched && !hide)
            std::abort();
        if (!options.Sound && !system.Only("beep").empty())
            std::abort();
        if (hide)
            line.clear();
        else if (key == 8 && !line.empty())
            line.pop_back();
        else if (key != 0)
            line += key;
        if (line.size() > 256)
            line.clear();
    }
    return 0;
}
