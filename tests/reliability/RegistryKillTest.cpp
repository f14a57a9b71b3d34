// The Linux registry store with a writer killed at random moments: the store
// stays readable and holds either the entry before or the one after the
// write that was cut off, and the next writer finds the store in order.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "Registry.h"
#include "RegistryTest.h"

namespace {

const char kBase[] = "Software\\Morvane";
const char kSub[] = "Lumetra\\1.0\\Vesk\\Scopes\\Killed Family";
const std::string kKey = "Software\\Morvane\\Lumetra\\1.0\\Vesk\\Scopes\\Killed Family";
const char kOtherSub[] = "Lumetra\\1.0\\Vesk\\Scopes\\Other Family";
const std::string kOtherKey = "Software\\Morvane\\Lumetra\\1.0\\Vesk\\Scopes\\Other Family";
constexpr int kRounds = 60;

std::string Path(uint32_t n) {
    return "/opt/zvds/dso_v" + std::to_string(n) + ".so";
}

std::string Stored(const std::string& text) {
    return text + std::string(1, '\0');
}

void Sleep(long microseconds) {
    timespec t{0, microseconds * 1000};
    while (nanosleep(&t, &t) != 0) {
    }
}

using RegistryKillTest = ztest::RegistryTest;

TEST_F(RegistryKillTest, AWriterKilledAnywhereLeavesTheOldOrTheNewEntry) {
    {
        CRegistry other(kOtherSub, 0, HKEY_LOCAL_MACHINE, kBase, REG_OPTION_NON_VOLATILE);
        ASSERT_EQ(other.SetValue("DllPath", "/opt/zvds/other.so"), ERROR_SUCCESS);
        CRegistry key(kSub, 0, HKEY_LOCAL_MACHINE, kBase, REG_OPTION_NON_VOLATILE);
        ASSERT_EQ(key.SetValue("DllPath", Path(0)), ERROR_SUCCESS);
    }
    std::mt19937 rng(20240611);
    uint32_t last = 0;  // the last value known to be written
    int cutMidWrite = 0;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        int announce[2];
        ASSERT_EQ(pipe(announce), 0);
        const uint32_t from = last + 1;
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(announce[0]);
            CRegistry key(kSub, 0, HKEY_LOCAL_MACHINE, kBase, REG_OPTION_NON_VOLATILE);
            for (uint32_t n = from;; ++n) {
                // Announced before the write starts: all earlier ones are done.
                if (write(announce[1], &n, sizeof n) != sizeof n) {
                    _exit(2);
                }
                if (key.SetValue("DllPath", Path(n)) != ERROR_SUCCESS) {
                    _exit(1);
                }
            }
        }
        close(announce[1]);
        uint32_t started = 0;
        ASSERT_EQ(read(announce[0], &started, sizeof started),
                  static_cast<ssize_t>(sizeof started));
        Sleep(static_cast<long>(rng() % 3000));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself";
        for (uint32_t n = 0; read(announce[0], &n, sizeof n) == sizeof n;) {
            started = n;
        }
        close(announce[0]);

        // Readable, the other entry untouched, and the cut-off write either
        // done or not done at all.
        std::vector<std::string> names;
        ASSERT_EQ(zvds::registry::ListSubKeys("", names), ERROR_SUCCESS) << StoreText();
        EXPECT_EQ(ztest::ReadBytes(kOtherKey, "DllPath"), Stored("/opt/zvds/other.so"));
        const std::string value = ztest::ReadBytes(kKey, "DllPath");
        const bool before = value == Stored(Path(started - 1));
        const bool after = value == Stored(Path(started));
        EXPECT_TRUE(before || after) << "value " << value << " after write " << started;
        last = after ? started : started - 1;
        cutMidWrite += Snapshot().size() > 2;  // a new store was being written
    }
    printf("[ kills    ] %d rounds, %u writes, %d cut off while a new store was written\n", kRounds,
           last, cutMidWrite);

    // The next writer works and leaves nothing of the killed ones behind.
    {
        CRegistry key(kSub, 0, HKEY_LOCAL_MACHINE, kBase, REG_OPTION_NON_VOLATILE);
        ASSERT_EQ(key.SetValue("DllPath", Path(last + 1)), ERROR_SUCCESS);
    }
    EXPECT_EQ(ztest::ReadBytes(kKey, "DllPath"), Stored(Path(last + 1)));
    const auto files = Snapshot();
    EXPECT_EQ(files.size(), 2u) << "left behind: " << [&] {
        std::string list;
        for (const auto& f : files) {
            list += f.first + " ";
        }
        return list;
    }();
}

}  // namespace
