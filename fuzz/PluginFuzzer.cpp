// One plug-in under the fuzzer. The first input byte chooses:
// even: the waveform conversion over the rest of the input, copied into a
//       heap buffer of exactly its size so that a read past it is caught;
// odd:  the plug-in's dialogue (open with identification, channel list,
//       waveform read, close) against an instrument whose replies are the
//       rest of the input split into pieces.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Bench.h"
#include "EntryFrame.h"
#include "FuzzCheck.h"
#include "FuzzInstrument.h"
#include "FuzzPlugin.h"
#include "Messages.h"

namespace {

constexpr size_t kGuard = 64;
constexpr uint16_t kFill = 0xA5A5;

bool Untouched(const std::vector<uint16_t>& samples, size_t from) {
    for (size_t i = from; i < samples.size(); ++i) {
        if (samples[i] != kFill) {
            return false;
        }
    }
    return true;
}

bool IsMessage(int32_t number) {
    for (int i = 0; i < zvds::kMessageTableSize; ++i) {
        if (zvds::kMessageTable[i].number == number) {
            return true;
        }
    }
    return false;
}

void FuzzConversion(const uint8_t* data, size_t size) {
    std::unique_ptr<uint8_t[]> reply(new uint8_t[size == 0 ? 1 : size]);
    if (size > 0) {
        memcpy(reply.get(), data, size);
    }
    std::vector<uint16_t> samples(zfuzz::kPoints + kGuard, kFill);
    const int32_t result = zfuzz::Convert(size == 0 ? nullptr : reply.get(), size, samples.data());
    zfuzz::Require(Untouched(samples, zfuzz::kPoints), "a sample written past the last");
    if (result != 0) {
        zfuzz::Require(IsMessage(result), "a result that is no message number");
        zfuzz::Require(zfuzz::MayWriteOnFailure(result) || Untouched(samples, 0),
                       "samples written by a failed conversion");
    }
}

std::vector<std::string>* g_offered = nullptr;

int32_t ZVDS_STDCALL Collect(const char* name, int32_t) {
    g_offered->push_back(name);
    return g_offered->size() < 64 ? 1 : 0;
}

void FuzzDialogue(const uint8_t* data, size_t size) {
    zsim::Reset();
    zsim::SetRecording(false);
    zsim::AddInstrument("GPIB0::1",
                        std::make_shared<zfuzz::FuzzInstrument>(zfuzz::SplitPieces(data, size)));
    const zvds::PluginDriver& driver = zvds::ThisPlugin();
    int32_t handle = 0;
    const int32_t opened = zvds::Open(driver, "DEV1", &handle);
    zfuzz::Require(opened == 0 || IsMessage(opened), "open: no message number");
    if (handle == 0) {
        return;
    }
    std::vector<std::string> offered;
    g_offered = &offered;
    const int32_t listed = zvds::EnumValidChannels(driver, handle, Collect);
    g_offered = nullptr;
    zfuzz::Require(listed == 0 || IsMessage(listed), "channels: no message number");

    std::vector<uint16_t> samples(zfuzz::kPoints + kGuard, kFill);
    const std::string channel = offered.empty() ? "CH1" : offered.front();
    const int32_t read = zvds::ReadWaveform(driver, handle, channel.c_str(), samples.data());
    zfuzz::Require(read == 0 || IsMessage(read), "read: no message number");
    zfuzz::Require(Untouched(samples, zfuzz::kPoints), "read: a sample written past the last");
    zvds::Close(driver, handle);
    zfuzz::Require(!zsim::IsOpen(handle), "close left the session open");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    if ((data[0] & 1) == 0) {
        FuzzConversion(data + 1, size - 1);
    } else {
        FuzzDialogue(data + 1, size - 1);
    }
    return 0;
}
