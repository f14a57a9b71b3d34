#include "Tds300.h"

#include "../Text.h"

#include <cctype>
#include <cstdlib>

namespace zsim {

namespace {

// A keyword in its long form, of which the first `minimum` characters are
// the short form ("DATa" is DATA with minimum 3).
bool Is(const std::string& token, const char* keyword, size_t minimum) {
    const std::string word = Upper(token);
    const std::string full = keyword;
    return word.size() >= minimum && word.size() <= full.size() &&
           full.compare(0, word.size(), word) == 0;
}

// "MATH1" is the host's name of the math trace; the instrument says "MATH".
std::string SourceName(const std::string& argument) {
    const std::string name = Upper(argument);
    if (name == "MATH1") {
        return "MATH";
    }
    for (const char* known : {"CH1", "CH2", "MATH", "REF1", "REF2"}) {
        if (name == known) {
            return name;
        }
    }
    return "";
}

bool Number(const std::string& argument, unsigned& value) {
    char* end = nullptr;
    const long number = strtol(argument.c_str(), &end, 10);
    if (argument.empty() || *end != '\0' || number < 0) {
        return false;
    }
    value = static_cast<unsigned>(number);
    return true;
}

struct EncodingName {
    Tds300::Encoding encoding;
    const char* name;
    size_t minimum;
};

const EncodingName kEncodings[] = {
    {Tds300::Encoding::Ascii, "ASCII", 4},         {Tds300::Encoding::RiBinary, "RIBINARY", 3},
    {Tds300::Encoding::RpBinary, "RPBINARY", 3},   {Tds300::Encoding::SriBinary, "SRIBINARY", 3},
    {Tds300::Encoding::SrpBinary, "SRPBINARY", 3},
};

const char* NameOf(Tds300::Encoding encoding) {
    for (const EncodingName& e : kEncodings) {
        if (e.encoding == encoding) {
            return e.name;
        }
    }
    return "?";
}

}  // namespace

Tds300::Tds300(const std::string& model)
    : m_identity("TEKTRONIX," + model + ",0,CF:91.1CT FV:v1.00") {
    for (const char* source : {"CH1", "CH2", "MATH", "REF1", "REF2"}) {
        m_records[source] = DefaultRecord(source);
    }
}

Tds300::Record Tds300::DefaultRecord(const std::string& source) {
    unsigned seed = 0;
    for (char c : source) {
        seed = seed * 31 + static_cast<unsigned char>(c);
    }
    Record points;
    for (size_t i = 0; i < kPoints; ++i) {
        points[i] = static_cast<uint8_t>(seed + 3 * i);
    }
    return points;
}

bool Tds300::SetRecord(const std::string& source, const Record& points) {
    const std::string name = SourceName(source);
    if (name.empty()) {
        return false;
    }
    m_records[name] = points;
    return true;
}

void Tds300::Receive(const std::string& message) {
    m_received.push_back(message);
    std::vector<std::string> replies;
    std::vector<std::string> subsystem;  // where a command without ":" continues
    for (const std::string& unit : Split(CommandText(message), ';')) {
        std::string text = Trim(unit);
        if (text.empty()) {
            continue;
        }
        const size_t blank = text.find_first_of(" \t");
        std::string header = text.substr(0, blank);
        const std::string argument = blank == std::string::npos ? "" : Trim(text.substr(blank));
        const bool query = !header.empty() && header.back() == '?';
        if (query) {
            header.pop_back();
        }
        if (header.empty()) {
            continue;
        }
        std::vector<std::string> path;
        if (header[0] == '*') {
            path = {Upper(header)};  // common commands leave the subsystem alone
        } else {
            const bool rooted = header[0] == ':';
            path = rooted ? std::vector<std::string>() : subsystem;
            for (const std::string& node : Split(rooted ? header.substr(1) : header, ':')) {
                path.push_back(node);
            }
            subsystem.assign(path.begin(), path.end() - 1);
        }
        Execute(path, argument, query, replies);
    }
    if (!replies.empty()) {
        std::string answer;
        for (const std::string& reply : replies) {
            answer += (answer.empty() ? "" : ";") + reply;
        }
        Send(answer + "\n");
    }
}

void Tds300::Execute(const std::vector<std::string>& path, const std::string& argument, bool query,
                     std::vector<std::string>& replies) {
    Settings& s = m_settings;
    // A query's answer, with its header while headers are on.
    auto answer = [&](const std::string& header, const std::string& value) {
        replies.push_back(s.headers ? header + " " + value : value);
    };
    auto number = [&](unsigned& field, unsigned low, unsigned high) {
        unsigned value = 0;
        if (Number(argument, value) && value >= low && value <= high) {
            field = value;
        }
    };

    if (path.size() == 1 && path[0] == "*IDN" && query) {
        answer("*IDN", m_identity);
    } else if (path.size() == 1 && Is(path[0], "HEADER", 4)) {
        if (query) {
            answer(":HEADER", s.headers ? "1" : "0");
        } else if (Is(argument, "ON", 2) || argument == "1") {
            s.headers = true;
        } else if (Is(argument, "OFF", 3) || argument == "0") {
            s.headers = false;
        }
    } else if (path.size() == 1 && Is(path[0], "CURVE", 4) && query) {
        replies.push_back(s.headers ? ":CURVE " + Curve() : Curve());
    } else if (path.size() == 2 && Is(path[0], "HORIZONTAL", 3) && Is(path[1], "RECORDLENGTH", 4)) {
        if (query) {
            answer(":HORIZONTAL:RECORDLENGTH", std::to_string(s.recordLength));
        } else {
            number(s.recordLength, 1, kPoints);
        }
    } else if (path.size() == 2 && Is(path[0], "DATA", 3)) {
        const std::string& item = path[1];
        if (Is(item, "SOURCE", 3)) {
            if (query) {
                answer(":DATA:SOURCE", s.source);
            } else if (!SourceName(argument).empty()) {
                s.source = SourceName(argument);
            }
        } else if (Is(item, "ENCDG", 3)) {
            if (query) {
                answer(":DATA:ENCDG", NameOf(s.encoding));
            }
            for (const EncodingName& e : kEncodings) {
                if (!query && Is(argument, e.name, e.minimum)) {
                    s.encoding = e.encoding;
                }
            }
        } else if (Is(item, "WIDTH", 3)) {
            if (query) {
                answer(":DATA:WIDTH", std::to_string(s.width));
            } else {
                number(s.width, 1, 2);
            }
        } else if (Is(item, "START", 4)) {
            if (query) {
                answer(":DATA:START", std::to_string(s.start));
            } else {
                number(s.start, 1, 0xFFFFFFFFu);
            }
        } else if (Is(item, "STOP", 4)) {
            if (query) {
                answer(":DATA:STOP", std::to_string(s.stop));
            } else {
                number(s.stop, 1, 0xFFFFFFFFu);
            }
        }
    }
    // Anything else is refused without an answer, as an execution error.
}

std::string Tds300::Curve() const {
    const Settings& s = m_settings;
    // The window runs from the smaller to the larger of start and stop,
    // within the record.
    unsigned first = s.start < s.stop ? s.start : s.stop;
    unsigned last = s.start < s.stop ? s.stop : s.start;
    if (last > s.recordLength) {
        last = s.recordLength;
    }
    if (first > last) {
        first = last;
    }
    const Record& points = m_records.at(s.source);
    const bool isSigned = s.encoding == Encoding::RiBinary || s.encoding == Encoding::SriBinary ||
                          s.encoding == Encoding::Ascii;
    const bool swapped = s.encoding == Encoding::SriBinary || s.encoding == Encoding::SrpBinary;

    std::string data;
    for (unsigned i = first; i <= last; ++i) {
        const uint8_t code = points[i - 1];
        const uint8_t high = isSigned ? static_cast<uint8_t>(code ^ 0x80) : code;
        if (s.encoding == Encoding::Ascii) {
            const int value = (static_cast<int>(code) - 128) * (s.width == 2 ? 256 : 1);
            data += (data.empty() ? "" : ",") + std::to_string(value);
        } else if (s.width == 1) {
            data += static_cast<char>(high);
        } else if (swapped) {
            data += '\0';
            data += static_cast<char>(high);
        } else {
            data += static_cast<char>(high);
            data += '\0';
        }
    }
    if (s.encoding == Encoding::Ascii) {
        return data;
    }
    const std::string length = std::to_string(data.size());
    return "#" + std::to_string(length.size()) + length + data;
}

}  // namespace zsim
