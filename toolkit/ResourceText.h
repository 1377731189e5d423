// Texts from the program's string table, with a built-in text where the module has none (test
// programs carry no resources).
#pragma once

#include <string>

namespace toolkit {

std::string LoadResourceText(unsigned id, const std::string& fallback);

} // namespace toolkit
