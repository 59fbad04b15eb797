#include "platform/message_loop.h"

#include <signal.h>

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(MessageLoopTest, RunsTasksFromManyThreadsOnItsOwnThreadInPostingOrder) {
    constexpr int kThreads = 4;
    constexpr int kTasksEach = 2000;
    platform::MessageLoop loop;
    const std::thread::id loop_thread = std::this_thread::get_id();
    std::vector<int> last_seen(kThreads, -1);
    bool in_order = true;
    bool on_loop_thread = true;
    int run = 0;

    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t) {
        posters.emplace_back([&, t] {
            for (int i = 0; i < kTasksEach; ++i) {
                loop.PostTask([&, t, i] {
                    in_order = in_order && last_seen[t] == i - 1;
                    on_loop_thread = on_loop_thread && std::this_thread::get_id() == loop_thread;
                    last_seen[t] = i;
                    if (++run == kThreads * kTasksEach) loop.PostQuit();
                });
            }
        });
    }
    loop.Run();
    for (std::thread& poster : posters) poster.join();

    EXPECT_EQ(run, kThreads * kTasksEach);
    EXPECT_TRUE(in_order);
    EXPECT_TRUE(on_loop_thread);
}

TEST(MessageLoopTest, QuitDropsTasksPostedAfterIt) {
    platform::MessageLoop loop;
    bool late_task_ran = false;
    loop.PostTask([&] {
        loop.PostQuit();
        loop.PostTask([&] { late_task_ran = true; });
    });
    loop.Run();
    EXPECT_FALSE(late_task_ran);
}

TEST(MessageLoopTest, TerminationSignalIsAQuitRequest) {
    platform::MessageLoop loop;
    loop.QuitOnTerminationSignals();
    loop.PostTask([] { raise(SIGTERM); });
    loop.Run();  // returns instead of the default action ending the test process
    SUCCEED();
}

TEST(MessageLoopTest, RunsAgainAfterAQuitFromATask) {
    platform::MessageLoop loop;
    loop.PostTask([&] { loop.PostQuit(); });
    loop.Run();
    int second_run = 0;
    loop.PostTask([&] { ++second_run; });
    loop.PostTask([&] {
        ++second_run;
        loop.PostQuit();
    });
    loop.Run();
    EXPECT_EQ(second_run, 2);
}

}  // namespace
