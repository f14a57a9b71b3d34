#include "TranslateAddress.h"

#include <climits>
#include <cstdio>
#include <cstring>

namespace zvds {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads "<prefix><blanks><sign><digits>" as a decimal integer, as scanf's %d
// does; anything after the digits is ignored. Out-of-range values saturate.
bool ParsePrefixedNumber(const std::string& text, const char* prefix, int& number) {
    const size_t prefixLength = strlen(prefix);
    if (text.compare(0, prefixLength, prefix) != 0) {
        return false;
    }
    size_t i = prefixLength;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() || text[i] < '0' || text[i] > '9') {
        return false;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value <= static_cast<long long>(INT_MAX) + 1) {
            value = value * 10 + (text[i] - '0');
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        value = INT_MAX;
    } else if (value < INT_MIN) {
        value = INT_MIN;
    }
    number = static_cast<int>(value);
    return true;
}

}  // namespace

std::string TranslateAddress(std::string address, int board) {
    for (char& c : address) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    int number = 0;
    char formatted[32];
    if (ParsePrefixedNumber(address, "DEV", number)) {
        snprintf(formatted, sizeof(formatted), "GPIB%d::%d", board, number);
        return formatted;
    }
    if (ParsePrefixedNumber(address, "COM", number)) {
        snprintf(formatted, sizeof(formatted), "ASRL%d", number);
        return formatted;
    }
    return address;
}

}  // namespace zvds
