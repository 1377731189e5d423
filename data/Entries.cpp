#include "data/Entries.h"

#include <algorithm>

namespace {
std::string RangeMessage(std::int32_t index, std::int32_t count) {
    return "Dynamic array index " + std::to_string(index) + " out of range (count " +
           std::to_string(count) + ")";
}

void AssignFields(TDBItem& to, const TDBItem& from) {
    to.Name = from.Name;
    to.Filename = from.Filename;
    to.Directory = from.Directory;
    to.Params = from.Params;
    to.Keyword = from.Keyword;
    to.RunAs = from.RunAs;
    to.HotKey = from.HotKey;
}
} // namespace

DynArrayOutOfRange::DynArrayOutOfRange(std::int32_t index, std::int32_t count)
    : toolkit::Exception(RangeMessage(index, count)), Index(index), Count(count) {}

TDBItem& TEntries::At(std::int32_t i) {
    if (i < 0 || i >= Count())
        throw DynArrayOutOfRange(i, Count());
    return items_[static_cast<std::size_t>(i)];
}

const TDBItem& TEntries::At(std::int32_t i) const {
    return const_cast<TEntries*>(this)->At(i);
}

void TEntries::Resize(std::int32_t n) {
    if (n <= 0) {
        std::vector<TDBItem>().swap(items_);
        return;
    }
    // Build the new storage first, so that a failed allocation leaves the list untouched.
    std::vector<TDBItem> grown(static_cast<std::size_t>(n));
    const auto keep = std::min(items_.size(), grown.size());
    for (std::size_t j = 0; j < keep; ++j)
        grown[j] = std::move(items_[j]);
    items_.swap(grown);
}

void TEntries::Append(TDBItem item) {
    const std::int32_t n = Count();
    Resize(n + 1);
    AssignFields(At(n), item);
}

void TEntries::Replace(std::int32_t k, const TDBItem& item) {
    AssignFields(At(k), item);
}

void TEntries::Delete(std::int32_t k) {
    const std::int32_t count = Count();
    (void)At(k); // an index outside the list is an error, not a no-op
    for (std::int32_t j = k; j <= count - 2; ++j)
        AssignFields(At(j), At(j + 1));
    Resize(count - 1);
}

const std::string& TEntries::UpperKeyword(std::int32_t i, const TCaseMap& upperCase) const {
    const TDBItem& item = At(i);
    if (upperKeywords_.size() != items_.size())
        upperKeywords_.resize(items_.size());
    TMappedKeyword& mapped = upperKeywords_[static_cast<std::size_t>(i)];
    if (mapped.Source != item.Keyword) {
        mapped.Upper = upperCase(item.Keyword);
        mapped.Source = item.Keyword;
    }
    return mapped.Upper;
}
