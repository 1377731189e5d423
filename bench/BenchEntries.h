// The launch entries the benchmarks store and load: n entries of realistic length, `hotKeys` of
// them (spread over the list, at most 20) with a hot key of their own: Ctrl + Alt + Shift with
// F1 to F12, then 0 to 7.
#pragma once

#include "data/Entries.h"

#include <string>

inline TEntries MakeEntries(int n, int hotKeys = 0) {
    TEntries entries;
    entries.Resize(n);
    for (int i = 0; i < n; ++i) {
        const std::string k = std::to_string(i);
        TDBItem& e = entries.At(i);
        e.Name = "Program " + k;
        e.Filename = "C:\\Program Files\\Vendor " + k + "\\program" + k + ".exe";
        e.Directory = "C:\\Program Files\\Vendor " + k;
        e.Params = "/open \"C:\\Users\\me\\Documents\\file " + k + ".txt\"";
        e.Keyword = "P" + k;
    }
    hotKeys = hotKeys < 20 ? hotKeys : 20;
    for (int h = 0; h < hotKeys && h < n; ++h) {
        const int key = h < 12 ? 112 + h : '0' + (h - 12); // VK_F1.., then the digits
        entries.At(h * (n / hotKeys)).HotKey = 1000 + 2000 + 4000 + key;
    }
    return entries;
}
