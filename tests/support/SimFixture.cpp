#include "SimFixture.h"

#include <cstdio>

namespace ztest {

std::vector<std::string> Dialogue(const std::vector<zsim::CallRecord>& records) {
    std::vector<std::string> lines;
    char text[64];
    for (const zsim::CallRecord& r : records) {
        std::string line = zsim::CallName(r.call);
        switch (r.call) {
            case zsim::Call::Open: line += " \"" + r.resource + "\""; break;
            case zsim::Call::GetAttribute:
                snprintf(text, sizeof(text), " 0x%08X", r.attribute);
                line += text;
                break;
            case zsim::Call::SetAttribute:
                snprintf(text, sizeof(text), " 0x%08X=%llu", r.attribute,
                         static_cast<unsigned long long>(r.value));
                line += text;
                break;
            case zsim::Call::Write: line += " \"" + r.data + "\""; break;
            case zsim::Call::Read:
                snprintf(text, sizeof(text), " %u", r.count);
                line += text;
                break;
            default: break;
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<zsim::CallRecord> Only(const std::vector<zsim::CallRecord>& records, zsim::Call call) {
    std::vector<zsim::CallRecord> out;
    for (const zsim::CallRecord& r : records) {
        if (r.call == call) {
            out.push_back(r);
        }
    }
    return out;
}

std::vector<std::string> WrittenTexts(const std::vector<zsim::CallRecord>& records) {
    std::vector<std::string> out;
    for (const zsim::CallRecord& r : Only(records, zsim::Call::Write)) {
        out.push_back(r.data);
    }
    return out;
}

}  // namespace ztest
