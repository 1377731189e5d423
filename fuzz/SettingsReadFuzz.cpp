// Fuzz target: the start-up read over an arbitrary settings file. It must never crash, must keep
// the entry count within bounds and the opacity within a byte, and whatever it read must come
// back byte for byte after the database writer stores it and the reader reads it again.
#include "data/Settings.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {
std::string TempPath(const char* name) {
    return "/tmp/tarnwick-fuzz-" + std::to_string(getpid()) + "-" + name;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string first = TempPath("a.ini");
    const std::string second = TempPath("b.ini");
    {
        std::ofstream out(first, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    TEntries entries;
    TSettings settings;
    ReadSettings(first, entries, settings);
    if (entries.Count() < 0 || entries.Count() > MaxStoredEntries)
        std::abort();
    if (settings.AlphaBlendValue < 0 || settings.AlphaBlendValue > 255)
        std::abort();

    std::remove(second.c_str());
    WriteDatabase(second, entries);
    TEntries again;
    TSettings unused;
    ReadSettings(second, again, unused);
    if (again.Count() != entries.Count())
        std::abort();
    for (std::int32_t i = 0; i < entries.Count(); ++i) {
        const auto& a = entries.At(i);
        const auto& b = again.At(i);
        if (a.Name != b.Name || a.Filename != b.Filename || a.Directory != b.Directory ||
            a.Params != b.Params || a.Keyword != b.Keyword)
            std::abort();
    }
    return 0;
}
