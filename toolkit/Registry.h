// The registry accessor: one root key (HKEY_CURRENT_USER unless told otherwise), at most one
// current key opened below it, and text values read and written in the current key. It never
// creates a key. Whatever it opened is closed when it goes out of scope.
#pragma once

#include <windows.h>

#include <string>

namespace toolkit {

class TRegistry {
public:
    explicit TRegistry(HKEY rootKey = HKEY_CURRENT_USER) : root_(rootKey) {}
    ~TRegistry();

    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return root_; }
    // The key OpenKey opened, or null.
    HKEY CurrentKey() const { return current_; }

    // Paths lead from the root key; a leading backslash is allowed and means the same.

    // True when the key can be opened for reading (query, enumerate, read control).
    bool KeyExists(const std::string& path) const;
    // Opens an existing key with full access and makes it the current key; the previous current
    // key is closed first. On failure there is no current key, so every value operation fails.
    bool OpenKey(const std::string& path);
    void CloseKey();

    // True when the value can be queried in the current key.
    bool ValueExists(const std::string& name) const;
    // A REG_SZ or REG_EXPAND_SZ value's text up to its first zero byte, not expanded.
    // Raises ERegistryException "Invalid data type for '<name>'" for any other type and
    // "Failed to get data for '<name>'" when the value cannot be queried.
    std::string ReadString(const std::string& name) const;
    // Writes a REG_SZ value (the text and its zero byte); raises ERegistryException
    // "Failed to set data for '<name>'" on failure.
    void WriteString(const std::string& name, const std::string& text);
    // Deletes a value of the current key; true when it was deleted.
    bool DeleteValue(const std::string& name);

private:
    HKEY root_;
    HKEY current_ = nullptr;
};

} // namespace toolkit
