// The program that end-to-end launches start: appends one line to marker.log beside itself,
// holding its parameters (the command line after the program name) and its working folder.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    std::string line = GetCommandLineA();
    // Skip the program name, quoted or not, and the blanks after it.
    std::size_t pos = 0;
    if (!line.empty() && line[0] == '"')
        pos = line.find('"', 1) == std::string::npos ? line.size() : line.find('"', 1) + 1;
    else
        pos = line.find(' ') == std::string::npos ? line.size() : line.find(' ');
    while (pos < line.size() && line[pos] == ' ')
        ++pos;
    const std::string params = line.substr(pos);

    char cwd[MAX_PATH] = "";
    (void)GetCurrentDirectoryA(MAX_PATH, cwd);
    char self[MAX_PATH] = "";
    (void)GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string log = self;
    log = log.substr(0, log.rfind('\\') + 1) + "marker.log";

    if (FILE* f = std::fopen(log.c_str(), "ab")) {
        std::fprintf(f, "params=%s|cwd=%s\n", params.c_str(), cwd);
        std::fclose(f);
    }
    return 0;
}
