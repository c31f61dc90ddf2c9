#pragma once
// ASCII lower case, for file extensions, format lists and class names.
#include <algorithm>
#include <cctype>
#include <string>

namespace contorra {

inline std::string AsciiLower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

} // namespace contorra
