// The launch entries the benchmarks store and load: n entries of realistic length.
#pragma once

#include "data/Entries.h"

#include <string>

inline TEntries MakeEntries(int n) {
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
    return entries;
}
