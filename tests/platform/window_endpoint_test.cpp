#include "platform/window_endpoint.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/child_process.h"
#include "platform/message_loop.h"
#include "platform/window_messages.h"
#include "platform/window_record_linux.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace {

using platform::WindowHandle;
using platform::WindowMessage;

constexpr uint32_t kHello = 0x8001;
constexpr uint32_t kEcho = 0x8002;
constexpr uint32_t kEchoReply = 0x8003;

// Every test gets its own runtime folder, so windows of other test runs on this machine never meet ours.
class WindowEndpointTest : public ::testing::Test {
protected:
    void SetUp() override { environment_.Set("XDG_RUNTIME_DIR", runtime_.Path()); }

    // Creates `window` whose messages are appended to received_ on the loop thread.
    bool CreateCollector(platform::WindowEndpoint& window, const std::string& class_name,
                         const std::string& title) {
        return window.Create(
            class_name, title, [this](std::function<void()> task) { loop_.PostTask(std::move(task)); },
            [this](const WindowMessage& message) {
                received_.push_back(message);
                handler_threads_.push_back(std::this_thread::get_id());
                if (done_ && done_()) loop_.PostQuit();
            });
    }

    // Runs the loop until done_ holds after a message, or until the generous limit passes (then false).
    bool RunUntil(std::function<bool()> done) {
        done_ = std::move(done);
        if (done_()) return true;
        std::mutex lock;
        std::condition_variable stopped;
        bool finished = false;
        bool timed_out = false;
        std::thread watchdog([&] {
            std::unique_lock guard(lock);
            if (!stopped.wait_for(guard, std::chrono::seconds(20), [&] { return finished; })) {
                timed_out = true;
                loop_.PostQuit();
            }
        });
        loop_.Run();
        {
            std::lock_guard guard(lock);
            finished = true;
        }
        stopped.notify_all();
        watchdog.join();
        return !timed_out && done_();
    }

    test_support::TempFolder runtime_;
    ScopedEnvironment environment_;
    platform::MessageLoop loop_;
    std::vector<WindowMessage> received_;
    std::vector<std::thread::id> handler_threads_;
    std::function<bool()> done_;
};

TEST_F(WindowEndpointTest, RegisteredWindowIsFoundByClassAndTitleUntilDestroyed) {
    platform::WindowEndpoint window;
    ASSERT_TRUE(CreateCollector(window, "IXO", "Kelvarosoft Mendrake"));
    WindowHandle handle = window.Handle();
    EXPECT_GT(handle, 0);
    EXPECT_TRUE(platform::IsWindow(handle));
    EXPECT_EQ(platform::FindWindow("IXO", "Kelvarosoft Mendrake"), handle);
    EXPECT_EQ(platform::FindWindow("IXO", "Kelvarosoft"), 0);           // the title must match whole
    EXPECT_EQ(platform::FindWindow("ixo", "Kelvarosoft Mendrake"), 0);  // and exactly

    ASSERT_TRUE(window.SetTitle("Other\ntitle"));
    EXPECT_EQ(platform::FindWindow("IXO", "Kelvarosoft Mendrake"), 0);
    EXPECT_EQ(platform::FindWindow("IXO", "Other\ntitle"), handle);

    EXPECT_FALSE(platform::IsWindowMinimized(handle));
    ASSERT_TRUE(window.SetMinimized(true));
    EXPECT_TRUE(platform::IsWindowMinimized(handle));

    window.Destroy();
    EXPECT_FALSE(platform::IsWindow(handle));
    EXPECT_EQ(platform::FindWindow("IXO", "Other\ntitle"), 0);
    EXPECT_FALSE(platform::PostWindowMessage(handle, 1135, 1, 0));
}

TEST_F(WindowEndpointTest, TwoWindowsGetDistinctHandles) {
    platform::WindowEndpoint first, second;
    ASSERT_TRUE(CreateCollector(first, "IXO", "a"));
    ASSERT_TRUE(CreateCollector(second, "IXO", "b"));
    EXPECT_NE(first.Handle(), second.Handle());
    EXPECT_EQ(platform::FindWindow("IXO", "b"), second.Handle());
}

TEST_F(WindowEndpointTest, MessagesArriveInOrderOnTheLoopThread) {
    platform::WindowEndpoint window;
    ASSERT_TRUE(CreateCollector(window, "IXO", "order"));
    constexpr int kCount = 200;
    std::thread sender([&] {
        for (int i = 0; i < kCount; ++i)
            ASSERT_TRUE(platform::PostWindowMessage(window.Handle(), 1135, i, -i));
    });
    ASSERT_TRUE(RunUntil([&] { return received_.size() == size_t(kCount); }));
    sender.join();
    for (int i = 0; i < kCount; ++i) {
        EXPECT_EQ(received_[i].message, 1135u);
        EXPECT_EQ(received_[i].wparam, i);
        EXPECT_EQ(received_[i].lparam, -i);
        EXPECT_FALSE(received_[i].has_data);
        EXPECT_EQ(handler_threads_[i], std::this_thread::get_id());
    }
}

TEST_F(WindowEndpointTest, CopyDataCarriesUtf16TextWhole) {
    platform::WindowEndpoint window;
    ASSERT_TRUE(CreateCollector(window, "IXO", "data"));
    const std::u16string text = u"remark: Grüße \U0001F600 \"quoted\"";
    ASSERT_TRUE(platform::PostWindowData(window.Handle(), platform::kMessageCopyData, 77, text));
    ASSERT_TRUE(platform::PostWindowData(window.Handle(), platform::kMessageCopyData, 77, u""));
    std::u16string longest(platform::kMaxMessageData, u'x');
    ASSERT_TRUE(platform::PostWindowData(window.Handle(), platform::kMessageCopyData, 0, longest));
    EXPECT_FALSE(platform::PostWindowData(window.Handle(), platform::kMessageCopyData, 0, longest + u"x"));
    ASSERT_TRUE(RunUntil([&] { return received_.size() == 3; }));
    EXPECT_EQ(received_[0].message, platform::kMessageCopyData);
    EXPECT_EQ(received_[0].wparam, 77);
    EXPECT_TRUE(received_[0].has_data);
    EXPECT_EQ(received_[0].data, text);
    EXPECT_TRUE(received_[1].has_data);
    EXPECT_EQ(received_[1].data, u"");
    EXPECT_EQ(received_[2].data, longest);
}

TEST_F(WindowEndpointTest, NoMessageReachesTheHandlerAfterDestroy) {
    std::mutex lock;
    std::condition_variable queued_signal;
    bool queued = false;
    bool handled = false;
    platform::WindowEndpoint window;
    ASSERT_TRUE(window.Create(
        "IXO", "gone",
        [&](std::function<void()> task) {
            loop_.PostTask(std::move(task));
            std::lock_guard guard(lock);
            queued = true;
            queued_signal.notify_all();
        },
        [&](const WindowMessage&) { handled = true; }));
    ASSERT_TRUE(platform::PostWindowMessage(window.Handle(), 1135, 5, 0));
    {
        std::unique_lock guard(lock);
        ASSERT_TRUE(queued_signal.wait_for(guard, std::chrono::seconds(20), [&] { return queued; }));
    }
    // The message waits on the loop; the window goes before the loop runs it.
    window.Destroy();
    loop_.PostTask([this] { loop_.PostQuit(); });
    loop_.Run();
    EXPECT_FALSE(handled);
}

TEST_F(WindowEndpointTest, AnotherProcessFindsPostsAndLosesTheWindowWhenItDies) {
    platform::WindowEndpoint window;
    ASSERT_TRUE(CreateCollector(window, "IXO-TEST", "test side"));

    platform::ChildProcess holder;
    platform::ProcessStart start;
    start.program = IXO_BINARY_DIR "/tests/window_holder";
    start.arguments = {"IXO", "holder window", std::to_string(window.Handle())};
    ASSERT_TRUE(holder.Start(start));
    ASSERT_TRUE(RunUntil([&] { return !received_.empty(); }));
    ASSERT_EQ(received_[0].message, kHello);
    WindowHandle remote = WindowHandle(received_[0].wparam);
    EXPECT_TRUE(platform::IsWindow(remote));
    EXPECT_EQ(platform::FindWindow("IXO", "holder window"), remote);

    // The command-line tool posts to it; the holder answers through our window.
    platform::ChildProcess post;
    platform::ProcessStart tool;
    tool.program = IXO_BINARY_DIR "/bin/ixo-post";
    tool.arguments = {std::to_string(remote), std::to_string(kEcho), "41", "0", "Grüße"};
    ASSERT_TRUE(post.Start(tool));
    EXPECT_EQ(post.Wait(20000), 0);
    ASSERT_TRUE(RunUntil([&] { return received_.size() == 2; }));
    EXPECT_EQ(received_[1].message, kEchoReply);
    EXPECT_EQ(received_[1].wparam, 42);
    EXPECT_EQ(received_[1].data, u"Grüße");

    ASSERT_TRUE(holder.Terminate());
    EXPECT_FALSE(platform::IsWindow(remote));
    EXPECT_EQ(platform::FindWindow("IXO", "holder window"), 0);
    EXPECT_FALSE(platform::PostWindowMessage(remote, kEcho, 0, 0));

    // A window created afterwards sweeps the dead record away.
    platform::WindowEndpoint later;
    ASSERT_TRUE(CreateCollector(later, "IXO", "later"));
    std::string folder = platform::window_internal::WindowFolder();
    EXPECT_FALSE(platform::window_internal::ReadRecord(folder, remote).has_value());
}

TEST_F(WindowEndpointTest, PostToolReportsUsageAndMissingWindows) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
    };
    const Case cases[] = {
        {{"12345", "1135", "50", "0"}, 1},  // no such window
        {{"0", "1135", "50", "0"}, 2},      // 0 is no handle
        {{"abc", "1135", "50", "0"}, 2},   {{"12345", "1135", "50"}, 2},
        {{"0x3039", "-1", "50", "0"}, 2},  // message ids are unsigned
    };
    for (const Case& test : cases) {
        platform::ChildProcess post;
        platform::ProcessStart tool;
        tool.program = IXO_BINARY_DIR "/bin/ixo-post";
        tool.arguments = test.arguments;
        tool.hidden = true;
        ASSERT_TRUE(post.Start(tool));
        EXPECT_EQ(post.Wait(20000), test.status) << test.arguments[0];
    }

    platform::WindowEndpoint window;
    ASSERT_TRUE(CreateCollector(window, "IXO", "hex"));
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%x", unsigned(window.Handle()));
    platform::ChildProcess post;
    platform::ProcessStart tool;
    tool.program = IXO_BINARY_DIR "/bin/ixo-post";
    tool.arguments = {hex, "1135", "0x10", "-3"};
    ASSERT_TRUE(post.Start(tool));
    EXPECT_EQ(post.Wait(20000), 0);
    ASSERT_TRUE(RunUntil([&] { return received_.size() == 1; }));
    EXPECT_EQ(received_[0].wparam, 16);
    EXPECT_EQ(received_[0].lparam, -3);
}

TEST(WindowDatagramTest, MalformedDatagramsAreRejected) {
    using platform::window_internal::DecodeMessage;
    using platform::window_internal::EncodeMessage;
    WindowMessage message;
    message.message = 74;
    message.wparam = -2;
    message.lparam = 1LL << 40;
    message.has_data = true;
    message.data = u"ab";
    std::string good = EncodeMessage(message);
    std::optional<WindowMessage> decoded = DecodeMessage(good);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->message, 74u);
    EXPECT_EQ(decoded->wparam, -2);
    EXPECT_EQ(decoded->lparam, 1LL << 40);
    EXPECT_EQ(decoded->data, u"ab");

    auto with = [&](size_t offset, char value) {
        std::string bad = good;
        bad[offset] = value;
        return bad;
    };
    const std::string bad_cases[] = {
        good.substr(0, 31),               // shorter than the header
        good.substr(0, good.size() - 1),  // payload shorter than announced
        good + "xy",                      // longer than announced
        with(0, 'X'),                     // wrong magic
        with(24, 3),                      // unknown flag
        with(28, 3),                      // odd payload length
        with(24, 0),                      // payload without the data flag
    };
    for (const std::string& bad : bad_cases) EXPECT_FALSE(DecodeMessage(bad).has_value());
}

}  // namespace
