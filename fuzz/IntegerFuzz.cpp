// Fuzz target: the integer and boolean conversions of settings values, against a plain
// reference reading of the rule (decimal with an optional "-"; "$" hexadecimal; "0x"/"0X"
// hexadecimal only when longer than two characters; anything else, or a value outside the
// signed 32-bit range, is not a number; hexadecimal is no bit pattern, so $80000000 is out of
// range too).
#include "toolkit/IniFile.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

std::optional<std::int64_t> Digits(const std::string& s, int base) {
    if (s.empty())
        return std::nullopt;
    std::int64_t v = 0;
    for (char c : s) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        v = v * base + d;
        if (v > 0xFFFFFFFFll)
            return std::nullopt;
    }
    return v;
}

std::optional<std::int32_t> Reference(const std::string& text) {
    if (!text.empty() && text[0] == '$') {
        const auto v = Digits(text.substr(1), 16);
        if (!v)
            return std::nullopt;
        return *v > INT32_MAX ? std::nullopt : std::optional<std::int32_t>(*v);
    }
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const auto v = Digits(text.substr(2), 16);
        if (!v)
            return std::nullopt;
        return *v > INT32_MAX ? std::nullopt : std::optional<std::int32_t>(*v);
    }
    const bool negative = !text.empty() && text[0] == '-';
    const auto v = Digits(negative ? text.substr(1) : text, 10);
    if (!v)
        return std::nullopt;
    const std::int64_t signedValue = negative ? -*v : *v;
    if (signedValue < INT32_MIN || signedValue > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(signedValue);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto ours = toolkit::TIniFile::ParseInteger(text);
    const auto reference = Reference(text);
    if (ours != reference)
        std::abort();
    return 0;
}
