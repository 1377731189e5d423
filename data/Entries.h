// The launcher's one list of launch entries. The database editor owns it and edits it in place;
// the command window scans it on every qualifying key press.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/Errors.h"

struct TDBItem {
    std::string Name;
    std::string Filename;
    std::string Directory;
    std::string Params;
    std::string Keyword;
    // Launched as administrator (the verb "runas") whichever key launched it. Stored only when
    // set: older files and entries without it hold no such key.
    bool RunAs = false;
    // A global hot key that launches the entry, as "hKey" stores the main one (only its low 16
    // bits count; 0: none). Kept as read, so that a hand-edited value naming no key goes back
    // into the file unchanged; such a value registers nothing.
    std::int32_t HotKey = 0;
};

// Raised by TEntries::At for an index outside 0 .. Count - 1.
class DynArrayOutOfRange : public toolkit::Exception {
public:
    DynArrayOutOfRange(std::int32_t index, std::int32_t count);
    std::int32_t Index;
    std::int32_t Count;
};

class TEntries {
public:
    std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }

    TDBItem& At(std::int32_t i);
    const TDBItem& At(std::int32_t i) const;

    // Makes the list exactly n entries long, keeping the first min(Count, n) entries; new entries
    // have five empty fields. A negative n empties the list. If storage for n entries cannot be
    // had, std::bad_alloc leaves the list as it was.
    void Resize(std::int32_t n);

    // The editor's New, Apply and Delete, built on the three primitives above.
    void Append(TDBItem item);
    void Replace(std::int32_t k, const TDBItem& item);
    void Delete(std::int32_t k);

    // The keyword of entry i as `upperCase` maps it. The command window compares every key press
    // with every keyword, so each is mapped once and kept until it changes, however it changed.
    using TCaseMap = std::function<std::string(const std::string&)>;
    const std::string& UpperKeyword(std::int32_t i, const TCaseMap& upperCase) const;

private:
    std::vector<TDBItem> items_;
    struct TMappedKeyword {
        std::string Source; // the keyword that Upper was made from
        std::string Upper;
    };
    mutable std::vector<TMappedKeyword> upperKeywords_;
};
