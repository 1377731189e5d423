#include "toolkit/System.h"

namespace toolkit {

std::string System::UpperCase(const std::string& text) {
    std::string upper = text;
    for (std::size_t i = 0; i < upper.size(); ++i) {
        const auto b = static_cast<unsigned char>(upper[i]);
        if (b >= 'a' && b <= 'z') {
            upper[i] = static_cast<char>(b - 0x20);
        } else if (b == 0xC3 && i + 1 < upper.size()) {
            // U+00E0 to U+00FE, less the division sign U+00F7: capitals 0x20 below.
            const auto next = static_cast<unsigned char>(upper[i + 1]);
            if (next >= 0xA0 && next <= 0xBE && next != 0xB7)
                upper[i + 1] = static_cast<char>(next - 0x20);
            ++i;
        }
    }
    return upper;
}

} // namespace toolkit
