// The program that end-to-end launches start: appends one line to marker.log beside itself,
// holding its parameters (the command line after the program name) and its working folder, in
// UTF-8.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {
std::string Utf8(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                            nullptr, nullptr);
    return out;
}
} // namespace

int main() {
    std::wstring line = GetCommandLineW();
    // Skip the program name, quoted or not, and the blanks after it.
    std::size_t pos = 0;
    if (!line.empty() && line[0] == L'"')
        pos = line.find(L'"', 1) == std::wstring::npos ? line.size() : line.find(L'"', 1) + 1;
    else
        pos = line.find(L' ') == std::wstring::npos ? line.size() : line.find(L' ');
    while (pos < line.size() && line[pos] == L' ')
        ++pos;
    const std::wstring params = line.substr(pos);

    wchar_t cwd[MAX_PATH] = L"";
    (void)GetCurrentDirectoryW(MAX_PATH, cwd);
    wchar_t self[MAX_PATH] = L"";
    (void)GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring log = self;
    log = log.substr(0, log.rfind(L'\\') + 1) + L"marker.log";

    if (FILE* f = _wfopen(log.c_str(), L"ab")) {
        const std::string text = "params=" + Utf8(params) + "|cwd=" + Utf8(cwd) + "\n";
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    return 0;
}
