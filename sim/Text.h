// Text helpers the instrument models share for parsing commands.
#pragma once

#include <cctype>
#include <string>
#include <vector>

namespace zsim {

inline std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// Without white space at either end.
inline std::string Trim(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isspace(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    while (end > begin && isspace(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return text.substr(begin, end - begin);
}

// The parts between separators, as they are (an empty text gives one empty part).
inline std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (;;) {
        const size_t at = text.find(separator, from);
        parts.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos) {
            return parts;
        }
        from = at + 1;
    }
}

}  // namespace zsim
