#include "app/EntryHotKeys.h"

#include <algorithm>

namespace {
// Asks the system about a combination without keeping it; no entry's id is ever this one.
constexpr int kProbeId = TEntryHotKeys::kFirstId - 1;
} // namespace

THotKey EntryHotKey(const TDBItem& entry) {
    THotKey hotKey = DecodeHotKey(static_cast<std::uint16_t>(entry.HotKey & 0xFFFF));
    // A hand-edited key part beyond the virtual-key codes (1 to 254) names no key either.
    if (hotKey.Key > 0xFE)
        hotKey = EmptyHotKey();
    return hotKey;
}

bool SameHotKey(const THotKey& a, const THotKey& b) {
    return a.Key == b.Key && HotKeyModifiers(a) == HotKeyModifiers(b);
}

int EntryWithHotKey(const TEntries& entries, const THotKey& hotKey, int except) {
    if (hotKey.Key == 0)
        return -1;
    for (std::int32_t k = 0; k < entries.Count(); ++k)
        if (k != except && SameHotKey(EntryHotKey(entries.At(k)), hotKey))
            return k;
    return -1;
}

int TEntryHotKeys::IdOf(const THotKey& hotKey) {
    // Virtual-key codes stay below 256 and the modifiers take four bits: one id per combination,
    // so an entry that moves to another index keeps its registration.
    return kFirstId + (hotKey.Key & 0xFF) + 256 * static_cast<int>(HotKeyModifiers(hotKey) & 0xF);
}

TEntryHotKeys::~TEntryHotKeys() {
    for (const TWanted& a : active_)
        Unregister(window_, a.Id);
}

void TEntryHotKeys::Update(const TEntries& entries, const THotKey& mainHotKey) {
    std::vector<TWanted> wanted;
    std::vector<int> refused;
    for (std::int32_t k = 0; k < entries.Count(); ++k) {
        const THotKey hotKey = EntryHotKey(entries.At(k));
        if (hotKey.Key == 0)
            continue;
        const int id = IdOf(hotKey);
        const bool taken = (mainHotKey.Key != 0 && SameHotKey(hotKey, mainHotKey)) ||
                           std::any_of(wanted.begin(), wanted.end(),
                                       [id](const TWanted& w) { return w.Id == id; });
        if (taken)
            refused.push_back(k);
        else
            wanted.push_back({id, k, hotKey});
    }
    wanted_ = std::move(wanted);
    if (HeldBack()) {
        // The system's answers are those of the last time; the launcher's own clashes are new.
        for (const int k : refused_)
            if (std::any_of(wanted_.begin(), wanted_.end(),
                            [k](const TWanted& w) { return w.Entry == k; }))
                refused.push_back(k);
        std::sort(refused.begin(), refused.end());
        refused_ = std::move(refused);
        return;
    }
    // Given back first, so that a combination that moved to another entry is free to take.
    std::vector<TWanted> kept;
    for (const TWanted& a : active_) {
        const auto still = std::find_if(wanted_.begin(), wanted_.end(),
                                        [&a](const TWanted& w) { return w.Id == a.Id; });
        if (still == wanted_.end())
            Unregister(window_, a.Id);
        else
            kept.push_back(*still);
    }
    active_ = std::move(kept);
    refused_ = std::move(refused);
    for (const TWanted& w : wanted_)
        if (EntryFor(w.Id) < 0)
            Take(w);
    std::sort(refused_.begin(), refused_.end());
}

void TEntryHotKeys::Take(const TWanted& wanted) {
    if (Register(window_, wanted.Id, HotKeyModifiers(wanted.Key), wanted.Key.Key))
        active_.push_back(wanted);
    else
        refused_.push_back(wanted.Entry);
}

bool TEntryHotKeys::Refused(int k) const {
    return std::binary_search(refused_.begin(), refused_.end(), k);
}

int TEntryHotKeys::EntryFor(WPARAM id) const {
    for (const TWanted& a : active_)
        if (static_cast<WPARAM>(a.Id) == id)
            return a.Entry;
    return -1;
}

bool TEntryHotKeys::Holds(const THotKey& hotKey) const {
    return hotKey.Key != 0 &&
           std::any_of(wanted_.begin(), wanted_.end(),
                       [&hotKey](const TWanted& w) { return SameHotKey(w.Key, hotKey); });
}

bool TEntryHotKeys::Free(const THotKey& hotKey) const {
    if (!Register(window_, kProbeId, HotKeyModifiers(hotKey), hotKey.Key))
        return false;
    Unregister(window_, kProbeId);
    return true;
}

void TEntryHotKeys::HoldBack(const void* holder) {
    if (std::find(holders_.begin(), holders_.end(), holder) != holders_.end())
        return;
    holders_.push_back(holder);
    for (const TWanted& a : active_)
        Unregister(window_, a.Id);
    active_.clear();
}

void TEntryHotKeys::Resume(const void* holder) {
    holders_.erase(std::remove(holders_.begin(), holders_.end(), holder), holders_.end());
}

void TEntryHotKeys::Launch(const TDBItem& entry, const TCommandOptions& options,
                           toolkit::System& system, HWND window, THistory* history) {
    const TDBItem copy = entry; // the shell may pump messages meanwhile
    LaunchEntry(copy, "", options, system, window);
    // The line that Enter would have launched it from; an entry without a keyword has none.
    if (history != nullptr && !copy.Keyword.empty())
        history->Add(system.UpperCase(copy.Keyword));
}
