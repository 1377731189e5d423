// Field values that an INI file could easily mangle: blanks at either end, quotes of both kinds,
// "=", ";", brackets, key-like and section-like text, bytes 0x80-0xFF, 5,000 characters, and
// random mixtures of those. Portable.
#pragma once

#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace testing_support {

inline std::vector<std::string> AwkwardValues() {
    std::vector<std::string> v = {
        "",
        " ",
        "  lead",
        "trail  ",
        " both ",
        "\tTab\t",
        "\"dq\"",
        "'sq'",
        "\"",
        "'",
        "\"\"",
        "''",
        "\"'mixed\"'",
        "a=b",
        "==",
        "; not a comment",
        ";",
        "[section]",
        "[",
        "]",
        "x]",
        "[DATABASE]",
        "Name0=evil",
        "\"C:\\My Files\\a.txt\"",
        "C:\\",
        "'  spaced in quotes  '",
        " \"lead blank then quote\"",
        "\x0B\x0C\x1A",
    };
    std::string high;
    for (int b = 0x80; b <= 0xFF; ++b)
        high += static_cast<char>(b);
    v.push_back(high);
    v.push_back(" " + high + " ");
    v.push_back("\"" + high + "\"");
    std::string big;
    for (int i = 0; i < 5000; ++i)
        big += static_cast<char>(0x20 + (i * 7) % 0xE0); // every byte from blank to 0xFF
    v.push_back(big);
    v.push_back("'" + big + "'");
    v.push_back("\"" + big + "'");
    std::mt19937 gen(11);
    const std::string pieces[] = {" ", "\"", "'", "=", ";", "[", "]", "\t", "x", "\xE9", "\xA0"};
    for (int i = 0; i < 200; ++i) {
        std::string s;
        const int n = 1 + static_cast<int>(gen() % 12);
        for (int j = 0; j < n; ++j)
            s += pieces[gen() % std::size(pieces)];
        v.push_back(s);
    }
    return v;
}

} // namespace testing_support
