// Entry hot keys: a global hot key of an entry's own launches that entry with no line to type.
// Each is registered for the command window under an id of its own, given back when its entry
// loses it, and held back while a hot key box captures combinations.
#pragma once

#include "app/History.h"
#include "app/KeyEntry.h"
#include "data/Entries.h"
#include "gen/Gen_func.h"
#include "toolkit/System.h"

#include <windows.h>

#include <cstdint>
#include <vector>

// The combination a stored entry value names; Key 0 when it names none, or no virtual-key code
// (only its low 16 bits count, as for "hKey").
THotKey EntryHotKey(const TDBItem& entry);
// Whether two combinations are the same one (flags compared as set or not).
bool SameHotKey(const THotKey& a, const THotKey& b);
// The first entry other than `except` whose hot key is `hotKey`; -1 when none.
int EntryWithHotKey(const TEntries& entries, const THotKey& hotKey, int except = -1);

class TEntryHotKeys {
public:
    // The system's registration; tests replace them to play a combination that another program
    // holds or that Windows keeps.
    static inline bool (*Register)(HWND window, int id, UINT modifiers,
                                   UINT key) = [](HWND window, int id, UINT modifiers, UINT key) {
        return RegisterHotKey(window, id, modifiers, key) != FALSE;
    };
    static inline void (*Unregister)(HWND window, int id) = [](HWND window, int id) {
        (void)UnregisterHotKey(window, id);
    };

    // One id for each combination, below the atoms' range that the main hot key's id takes.
    static constexpr int kFirstId = 0x1000;
    static constexpr int kLastId = 0x1FFF;
    static int IdOf(const THotKey& hotKey);
    static bool IsEntryId(WPARAM id) { return id >= kFirstId && id <= kLastId; }

    explicit TEntryHotKeys(HWND window = nullptr) : window_(window) {}
    ~TEntryHotKeys();
    TEntryHotKeys(const TEntryHotKeys&) = delete;
    TEntryHotKeys& operator=(const TEntryHotKeys&) = delete;
    void SetWindow(HWND window) { window_ = window; }

    // Brings the registrations in line with `entries`: combinations no entry has any more are
    // given back, new ones registered. An entry whose combination is the main hot key's or an
    // earlier entry's is refused without asking the system; one the system will not give is
    // refused silently (a second copy of the launcher relies on that). While held back only the
    // wish is noted.
    void Update(const TEntries& entries, const THotKey& mainHotKey);
    // Whether entry k has a hot key that it could not have at the last update.
    bool Refused(int k) const;
    // The entry that a WM_HOTKEY of `id` launches; -1 when none.
    int EntryFor(WPARAM id) const;
    // Whether `hotKey` is an entry's (registered or held back), so not for the main hot key.
    bool Holds(const THotKey& hotKey) const;
    // Whether the system would give `hotKey` now: registered for a moment and given back.
    bool Free(const THotKey& hotKey) const;

    // While a hot key box captures, its combinations must reach it: every registration is given
    // back until each `holder` that held them back resumes (then Update registers them again).
    void HoldBack(const void* holder);
    void Resume(const void* holder);
    bool HeldBack() const { return !holders_.empty(); }

    // A press of entry k's hot key: the entry launched as Enter on its keyword would launch it,
    // with no text after the keyword ($W$ empty, $C$ the clipboard's), the line that launches it
    // (its keyword) added to `history` when given.
    static void Launch(const TDBItem& entry, const TCommandOptions& options,
                       toolkit::System& system, HWND window, THistory* history);

private:
    struct TWanted {
        int Id;
        int Entry;
        THotKey Key;
    };
    void Take(const TWanted& wanted);

    HWND window_ = nullptr;
    std::vector<TWanted> wanted_; // what the entries ask for, each combination once
    std::vector<TWanted> active_; // what the system holds for us now
    std::vector<int> refused_;    // entries whose hot key could not be had, ascending
    std::vector<const void*> holders_;
};
