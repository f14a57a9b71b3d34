// Message numbers, and the text behind each.
#pragma once

#include <cstdint>

namespace zvds {

enum Message : int32_t {
    kMsgUnknown = 1200,
    kMsgOpenFailed = 1220,
    kMsgCloseFailed = 1221,
    kMsgDifferentModel = 1223,
    kMsgWriteFailed = 1230,
    kMsgReadFailed = 1231,
    kMsgNotInitialized = 1232,
    kMsgBadResponse = 1236,
    kMsgNotStorageMode = 1301,
    kMsgChannelInactive = 1302,
    kMsgNotSingleTrigger = 1303,
    kMsgNoSuchChannel = 1304,
};

struct MessageText {
    int32_t number;
    const char* text;
};

// Every text the table can hold, 1304 included; a plug-in without 1304 never
// answers with it (see LoadMessage).
extern const MessageText kMessageTable[];
extern const int kMessageTableSize;

// Copies the text of a message into buffer (at most capacity - 1 characters
// and a NUL), as a string-resource load does; 0 and an empty text when the
// plug-in has no such message. Platform file: posix/ or win32/Messages.cpp.
int LoadMessage(int32_t number, char* buffer, int capacity);

// Formats like wsprintfA with one string argument: "%s" takes the argument,
// "%%" is a percent sign. At most 1024 bytes including the NUL are written;
// returns the characters written, NUL not counted.
int FormatMessageText(char* out, const char* format, const char* argument);

// The platform's formatting, with the results of FormatMessageText: that one
// on Linux, wsprintfA on Windows. Platform file: posix/ or win32/Messages.cpp.
int FormatPlatformMessage(char* out, const char* format, const char* argument);

// The most a formatted message takes, NUL included (wsprintfA's limit).
constexpr int kMessageOutputLimit = 1024;

// ZVDS_GetErrMessage without the export: 256-byte load, 1024-byte output.
int32_t GetErrMessage(const char* device, int32_t number, char* out);

}  // namespace zvds
