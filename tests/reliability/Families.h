// The five plug-ins, each with what the reliability tests need to know of
// it: how to build a good simulated instrument, where it answers, a channel
// to read, its pause state, and what its reply tests make of a text reply
// that comes back empty or cut short.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Bench.h"
#include "Instrument.h"
#include "PluginLoader.h"

namespace reliability {

// What the plug-in makes of a damaged text reply to one command.
struct TextRule {
    std::string command;
    int32_t emptyResult;  // the result when the reply is empty
    int32_t shortResult;  // the result when only the first half arrives
    // The reply was what told the plug-in that the instrument was paused:
    // damaged, the plug-in takes it for running and lifts the pause.
    bool tellsPause;
};

// A good simulated instrument, and its pause state where it has one.
struct Bench {
    std::shared_ptr<zsim::Instrument> instrument;
    std::function<bool()> paused;  // empty: the family has no pause state
};

struct Family {
    const char* name;
    const char* path;
    const char* address;   // as the host passes it
    const char* resource;  // where the instrument answers
    const char* channel;
    int32_t points;
    Bench (*make)(bool paused);
    const char* pauseOn;   // the command that pauses, or null
    const char* pauseOff;  // the command that lifts the pause, or null
    std::vector<TextRule> textRules;

    bool HasPause() const { return pauseOn != nullptr; }
    const TextRule* RuleFor(const std::string& command) const {
        for (const TextRule& rule : textRules) {
            if (rule.command == command) {
                return &rule;
            }
        }
        return nullptr;
    }
};

const std::vector<Family>& Families();

// The plug-in of a family, loaded once for the process.
ztest::Plugin& PluginOf(const Family& family);

}  // namespace reliability
