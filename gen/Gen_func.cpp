#include "gen/Gen_func.h"

std::string UpperCaseText(std::string text) {
    for (char& c : text)
        c = UpperCaseChar(c);
    return text;
}

std::string ExtractFolder(std::string path) {
    const auto last = path.rfind('\\');
    if (last == std::string::npos)
        return {};
    path.resize(last + 1);
    if (path.front() == '"')
        path.erase(0, 1);
    return path;
}

std::uint8_t VersionCodeOf(const TVersionRecord& v) {
    constexpr std::uint32_t kPlatformNt = 2;
    if (v.PlatformId == kPlatformNt) {
        if (v.MajorVersion == 4)
            return 3;
        if (v.MajorVersion == 5 && v.MinorVersion == 0)
            return 10;
        if (v.MajorVersion == 5 && v.MinorVersion == 1)
            return 11;
        return 0;
    }
    // On the 9x family the high word of the build number repeats the major and minor version.
    const std::uint32_t build = v.BuildNumber & 0xFFFF;
    if (v.MinorVersion == 0 && build == 950)
        return 1;
    if (v.MinorVersion == 0 && build == 1111)
        return 2;
    if (v.MinorVersion == 10 && build == 1998)
        return 4;
    if (v.MinorVersion == 10)
        return 5;
    if (v.MinorVersion == 90)
        return 7;
    return 0;
}
