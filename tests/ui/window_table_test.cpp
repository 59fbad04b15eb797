// Top-level windows in the system's window table: found by class and title from
// any process, and what another process posts to them (ixo-post) reaches the
// window on the main loop, payloads included.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/window_messages.h"
#include "tests/support/child_process.h"
#include "ui/toolkit/backend.h"
#include "ui/toolkit/headless_backend.h"
#include "ui/toolkit/skin_window_base.h"

namespace skinui {
namespace {

class PostedWindow : public SkinWindowBase {
public:
    std::u16string GetWindowClassName() const override { return u"ixo_table_test"; }
    std::u16string GetSkinFile() const override { return u"none.xml"; }
    LRESULT HandleCustomMessage(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled) override {
        if (msg == 1135) {
            progress.push_back(static_cast<int>(wparam));
        } else if (msg == WM_COPYDATA) {
            const auto* data = reinterpret_cast<const CopyDataStruct*>(lparam);
            payload.assign(static_cast<const char16_t*>(data->lpData), data->cbData / sizeof(char16_t));
        } else {
            handled = false;
        }
        return 0;
    }
    std::vector<int> progress;
    std::u16string payload;
};

TEST(WindowTableTest, OtherProcessesFindTheWindowAndPostToIt) {
    InstallHeadlessBackend();
    auto* backend = static_cast<CHeadlessBackend*>(GetBackend());
    PostedWindow window;
    WindowHandle handle = window.Create(0, u"Mendrake", 0, 0, 10, 10);
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(static_cast<WindowHandle>(platform::FindWindow("ixo_table_test", "Mendrake")), handle);
    EXPECT_TRUE(platform::IsWindow(static_cast<platform::WindowHandle>(handle)));

    std::string post = IXO_BINARY_DIR "/bin/ixo-post";
    std::string target = std::to_string(handle);
    for (const char* percent : {"10", "55"}) {
        test_support::ChildProcess poster({post, target, "1135", percent, "0"});
        ASSERT_EQ(poster.Wait(), 0) << poster.Output();
    }
    test_support::ChildProcess text({post, target, "74", "0", "0", "stage=download;retry=1"});
    ASSERT_EQ(text.Wait(), 0) << text.Output();

    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    backend->Run([&] { return !window.payload.empty() || std::chrono::steady_clock::now() > deadline; });
    EXPECT_EQ(window.progress, (std::vector<int>{10, 55}));
    EXPECT_EQ(window.payload, u"stage=download;retry=1");

    // Gone from the table with the window.
    window.Close();
    backend->Run([&] { return window.GetHWND() == 0 || std::chrono::steady_clock::now() > deadline; });
    EXPECT_FALSE(platform::IsWindow(static_cast<platform::WindowHandle>(handle)));
    EXPECT_EQ(platform::FindWindow("ixo_table_test", "Mendrake"), 0);
    InstallBackend(nullptr);
}

}  // namespace
}  // namespace skinui
