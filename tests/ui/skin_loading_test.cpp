// A program without the skin archive resource: the loading stops silently and windows get no controls.
#include <gtest/gtest.h>

#include "platform/resources.h"
#include "ui/toolkit/backend.h"
#include "ui/toolkit/headless_backend.h"
#include "ui/toolkit/skin_manager.h"
#include "ui/toolkit/skin_window_base.h"

namespace skinui {
namespace {

class PlainWindow : public SkinWindowBase {
public:
    std::u16string GetWindowClassName() const override { return u"IXO"; }
    std::u16string GetSkinFile() const override { return u"skin.xml"; }
    void InitWindow() override { initialised = true; }
    bool initialised = false;
};

TEST(SkinLoadingTest, MissingArchiveResourceStopsSilently) {
    ASSERT_FALSE(platform::FindResource("ZIPRES", 133)) << "this suite must carry no skin";
    EXPECT_FALSE(LoadSkinFromResource());
    EXPECT_EQ(CSkinManager::Instance().GetSource(), CSkinManager::Source::kNone);
    EXPECT_FALSE(CSkinManager::Instance().GetLayout(u"skin.xml"));

    InstallHeadlessBackend();
    PlainWindow window;
    ASSERT_NE(window.Create(0, u"Mendrake", 0, 0, 0, 0), 0u);
    EXPECT_TRUE(window.initialised);
    EXPECT_EQ(window.m_pm.GetRoot(), nullptr);
    EXPECT_EQ(window.m_pm.FindControl(u"btn_install"), nullptr);
    window.Close();
    static_cast<CHeadlessBackend*>(GetBackend())->RunPending();
    EXPECT_EQ(window.GetHWND(), 0u);
    InstallBackend(nullptr);
}

}  // namespace
}  // namespace skinui
