// The reply tests every driver makes: substring search, prefix comparison,
// trailing white space removed. All case-sensitive.
#pragma once

#include <cstring>
#include <string>

namespace zvds {

inline bool IsTrailingSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Removes blanks, tabs, CR, LF, VT and FF from the end; the front is kept.
inline void TrimTrailingSpace(std::string& text) {
    size_t end = text.size();
    while (end > 0 && IsTrailingSpace(text[end - 1])) {
        --end;
    }
    text.resize(end);
}

inline bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

inline bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, strlen(prefix), prefix) == 0;
}

}  // namespace zvds
