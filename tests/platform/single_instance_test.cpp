#include "platform/single_instance.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/child_process.h"

namespace {

using Result = platform::SingleInstanceLock::Result;

std::string UniqueName(const char* what) {
    return std::string("Kelvarosoft Test ") + what + "_" + std::to_string(getpid());
}

TEST(SingleInstanceLockTest, SecondHolderInTheSameProcessIsRefusedUntilRelease) {
    std::string name = UniqueName("same process");
    platform::SingleInstanceLock first;
    platform::SingleInstanceLock second;
    EXPECT_EQ(first.Acquire(name), Result::kAcquired);
    EXPECT_EQ(second.Acquire(name), Result::kAlreadyExists);
    EXPECT_FALSE(second.IsHeld());

    // Names differing only by a suffix, or by characters the file name has to encode, are independent.
    platform::SingleInstanceLock fork_mode;
    EXPECT_EQ(fork_mode.Acquire(name + "_fork"), Result::kAcquired);
    platform::SingleInstanceLock slashed;
    EXPECT_EQ(slashed.Acquire(name + "/x"), Result::kAcquired);
    platform::SingleInstanceLock underscored;
    EXPECT_EQ(underscored.Acquire(name + "_2fx"), Result::kAcquired);

    first.Release();
    EXPECT_EQ(second.Acquire(name), Result::kAcquired);
}

// Eight processes are released at once against one name: exactly one wins, and the token comes back when the
// winner is killed without any chance to clean up.
TEST(SingleInstanceLockTest, ProcessesRacingForOneNameHaveOneWinner) {
    const std::string name = UniqueName("race");
    constexpr int kRacers = 8;
    int start[2], results[2], hold[2];
    ASSERT_EQ(pipe(start), 0);
    ASSERT_EQ(pipe(results), 0);
    ASSERT_EQ(pipe(hold), 0);

    pid_t racers[kRacers];
    for (int i = 0; i < kRacers; ++i) {
        racers[i] = fork();
        ASSERT_GE(racers[i], 0);
        if (racers[i] == 0) {
            close(start[1]);
            close(hold[1]);
            char go;
            if (read(start[0], &go, 1) < 0) _exit(2);  // blocks until the parent closes the pipe
            platform::SingleInstanceLock lock;
            char outcome = char('0' + int(lock.Acquire(name)));
            if (write(results[1], &outcome, 1) != 1) _exit(2);
            char done;
            if (read(hold[0], &done, 1) < 0) _exit(2);  // holds the lock until the parent lets go or kills
            _exit(0);
        }
    }
    close(start[0]);
    close(start[1]);  // all racers start now
    close(results[1]);

    int acquired = 0, refused = 0;
    char outcome;
    for (int i = 0; i < kRacers && read(results[0], &outcome, 1) == 1; ++i) {
        if (outcome == '0' + int(Result::kAcquired)) ++acquired;
        if (outcome == '0' + int(Result::kAlreadyExists)) ++refused;
    }
    EXPECT_EQ(acquired, 1);
    EXPECT_EQ(refused, kRacers - 1);

    platform::SingleInstanceLock parent;
    EXPECT_EQ(parent.Acquire(name), Result::kAlreadyExists);

    for (pid_t racer : racers) kill(racer, SIGKILL);
    for (pid_t racer : racers) waitpid(racer, nullptr, 0);
    close(hold[0]);
    close(hold[1]);
    close(results[0]);
    EXPECT_EQ(parent.Acquire(name), Result::kAcquired);
}

}  // namespace
