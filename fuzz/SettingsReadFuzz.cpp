// Fuzz target: the start-up read over an arbitrary settings file, in any encoding (the seeds hold
// one with the UTF-8 mark, one of UTF-8 without it, one in Windows-1252 and one with ill-formed
// and truncated sequences). It must never crash, must keep the entry count within bounds and the
// opacity within a byte, every text it gives must be well-formed UTF-8, and whatever it read must
// come back byte for byte after the database writer stores it and the reader reads it again.
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

// Decodes each character and checks its code point: a check made differently from the reader's
// ranges of lead and continuation bytes.
bool IsWellFormedUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char lead = static_cast<unsigned char>(s[i]);
        const std::size_t length = lead < 0x80       ? 1
                                   : lead >> 5 == 6  ? 2
                                   : lead >> 4 == 14 ? 3
                                   : lead >> 3 == 30 ? 4
                                                     : 0;
        if (length == 0 || s.size() - i < length)
            return false;
        char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char c = static_cast<unsigned char>(s[i + k]);
            if (c >> 6 != 2)
                return false;
            cp = cp << 6 | (c & 0x3F);
        }
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < least[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

void ExpectUtf8(const TDBItem& e) {
    for (const std::string* field : {&e.Name, &e.Filename, &e.Directory, &e.Params, &e.Keyword})
        if (!IsWellFormedUtf8(*field))
            std::abort();
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
    for (std::int32_t i = 0; i < entries.Count(); ++i)
        ExpectUtf8(entries.At(i));

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
