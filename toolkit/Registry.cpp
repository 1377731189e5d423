#include "toolkit/Registry.h"

#include "toolkit/Errors.h"
#include "toolkit/Text.h"

#include <vector>

namespace toolkit {

namespace {

[[noreturn]] void Fail(const char* what, const std::string& name) {
    throw ERegistryException(std::string(what) + " '" + name + "'");
}

// The platform takes paths below its root key without a leading backslash.
std::wstring Relative(const std::string& path) {
    return Widen(std::string_view(path).substr(!path.empty() && path.front() == '\\' ? 1 : 0));
}

} // namespace

TRegistry::~TRegistry() {
    CloseKey();
}

bool TRegistry::KeyExists(const std::string& path) const {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root_, Relative(path).c_str(), 0,
                      KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | READ_CONTROL,
                      &key) != ERROR_SUCCESS)
        return false;
    (void)RegCloseKey(key);
    return true;
}

bool TRegistry::OpenKey(const std::string& path) {
    HKEY key = nullptr;
    const bool opened =
        RegOpenKeyExW(root_, Relative(path).c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS;
    CloseKey();
    if (opened)
        current_ = key;
    return opened;
}

void TRegistry::CloseKey() {
    if (current_)
        (void)RegCloseKey(current_);
    current_ = nullptr;
}

bool TRegistry::ValueExists(const std::string& name) const {
    if (!current_)
        return false;
    return RegQueryValueExW(current_, Widen(name).c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

std::string TRegistry::ReadString(const std::string& name) const {
    if (!current_)
        Fail("Failed to get data for", name);
    const std::wstring wideName = Widen(name);
    DWORD type = 0;
    DWORD size = 0; // in bytes
    if (RegQueryValueExW(current_, wideName.c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS)
        Fail("Failed to get data for", name);
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        Fail("Invalid data type for", name);
    // The value may grow between the two queries (another process writing it); ask again then.
    std::vector<wchar_t> data;
    for (;;) {
        // One character more than the bytes hold, whole or odd: the text always ends in a zero.
        data.assign(static_cast<std::size_t>(size) / sizeof(wchar_t) + 2, L'\0');
        DWORD got = size;
        const LONG rc = RegQueryValueExW(current_, wideName.c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(data.data()), &got);
        if (rc == ERROR_MORE_DATA) {
            size = got > size ? got : size * 2 + 16;
            continue;
        }
        if (rc != ERROR_SUCCESS)
            Fail("Failed to get data for", name);
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            Fail("Invalid data type for", name);
        size = got;
        break;
    }
    // Stored text need not end in a zero; the extra character set aside above guarantees one.
    const std::size_t units = size / sizeof(wchar_t);
    std::size_t length = 0;
    while (length < units && data[length] != L'\0')
        ++length;
    return Narrow(std::wstring_view(data.data(), length));
}

void TRegistry::WriteString(const std::string& name, const std::string& text) {
    if (!current_)
        Fail("Failed to set data for", name);
    const std::wstring value = Widen(text);
    if (RegSetValueExW(current_, Widen(name).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
        Fail("Failed to set data for", name);
}

bool TRegistry::DeleteValue(const std::string& name) {
    if (!current_)
        return false;
    return RegDeleteValueW(current_, Widen(name).c_str()) == ERROR_SUCCESS;
}

} // namespace toolkit
