// Control tree behaviour without a window: layout of floating controls, hit testing, the combo's item list,
// check boxes and progress bars, timers bound to controls, notifications.
#include <gtest/gtest.h>

#include <chrono>

#include "ui/toolkit/backend.h"
#include "ui/toolkit/button.h"
#include "ui/toolkit/combo.h"
#include "ui/toolkit/container.h"
#include "ui/toolkit/headless_backend.h"
#include "ui/toolkit/label.h"
#include "ui/toolkit/layout_builder.h"
#include "ui/toolkit/paint_manager.h"
#include "ui/toolkit/progress.h"
#include "ui/toolkit/skin_window_base.h"

namespace skinui {
namespace {

LayoutElement Element(std::u16string name, std::vector<std::pair<std::u16string, std::u16string>> attributes,
                      std::vector<LayoutElement> children = {}) {
    return LayoutElement{std::move(name), std::move(attributes), std::move(children)};
}

// Records the notifications of one window.
struct Recorder : INotifySink {
    std::vector<std::pair<std::u16string, std::u16string>> seen;  // type, sender name
    std::vector<uintptr_t> wparams;
    void Notify(TNotifyUI& msg) override {
        seen.emplace_back(msg.sType, msg.pSender ? msg.pSender->GetName() : u"");
        wparams.push_back(msg.wParam);
    }
};

class ControlTreeTest : public ::testing::Test {
protected:
    void Build(const LayoutElement& window) {
        manager_.AttachRoot(BuildControlTree(window, manager_, nullptr));
        manager_.SetClientSize(manager_.GetInitSize());
        manager_.AddNotifier(&recorder_);
    }
    template <typename T>
    T* Find(std::u16string_view name) {
        return dynamic_cast<T*>(manager_.FindControl(name));
    }

    CPaintManager manager_;
    Recorder recorder_;
};

TEST_F(ControlTreeTest, FloatingPositionsFromPosWidthAndHeight) {
    Build(Element(
        u"Window", {{u"size", u"600,400"}},
        {Element(u"Container", {{u"name", u"lay_main"}},
                 {Element(u"Label", {{u"name", u"a"}, {u"float", u"true"}, {u"pos", u"472,374,597,394"}}),
                  // A right and bottom of 0 leave the extent to width and height.
                  Element(u"Label", {{u"name", u"b"},
                                     {u"float", u"true"},
                                     {u"width", u"130"},
                                     {u"height", u"20"},
                                     {u"pos", u"58,403,0,0"}})})}));
    EXPECT_EQ(Find<CLabel>(u"a")->GetPos(), (CRect{472, 374, 597, 394}));
    EXPECT_EQ(Find<CLabel>(u"b")->GetPos(), (CRect{58, 403, 188, 423}));
    EXPECT_EQ(Find<CContainer>(u"lay_main")->GetPos(), (CRect{0, 0, 600, 400}));

    CControl* a = Find<CControl>(u"a");
    a->SetFixedXY({536, 4});
    a->SetFixedWidth(24);
    EXPECT_EQ(a->GetPos(), (CRect{536, 4, 560, 394 - 374 + 4}));
    a->SetAttribute(u"pos", u"174,404,442,428");
    EXPECT_EQ(a->GetPos(), (CRect{174, 404, 442, 428}));
    EXPECT_EQ(a->GetWidth(), 268);
    EXPECT_EQ(a->GetFixedHeight(), 24);

    // The window grows: the page under it grows with it.
    manager_.SetClientSize({600, 536});
    EXPECT_EQ(Find<CContainer>(u"lay_main")->GetPos().Height(), 536);
}

TEST_F(ControlTreeTest, HitTestSkipsMouseTransparentControlsAndHiddenOnes) {
    Build(Element(
        u"Window", {{u"size", u"600,400"}},
        {Element(
            u"VerticalLayout", {{u"name", u"lay_main"}},
            {Element(u"Container", {{u"name", u"lay_before"}},
                     {Element(u"Label", {{u"name", u"lbl_back"},
                                         {u"float", u"true"},
                                         {u"pos", u"0,0,600,200"},
                                         {u"mouse", u"false"}}),
                      Element(u"Button",
                              {{u"name", u"btn_install"}, {u"float", u"true"}, {u"pos", u"200,100,400,150"}}),
                      Element(u"Button", {{u"name", u"btn_hidden"},
                                          {u"float", u"true"},
                                          {u"pos", u"0,300,100,350"},
                                          {u"visible", u"false"}})})})}));
    // Over the mouse-transparent label the hit test finds the page behind it.
    EXPECT_EQ(manager_.FindControl(CPoint{20, 20}), manager_.FindControl(u"lay_before"));
    EXPECT_EQ(manager_.FindControl(CPoint{250, 120}), manager_.FindControl(u"btn_install"));
    EXPECT_EQ(manager_.FindControl(CPoint{50, 320}), manager_.FindControl(u"lay_before"));
    // A hidden page hides everything on it from the hit test and from IsVisible.
    manager_.FindControl(u"lay_before")->SetVisible(false);
    EXPECT_EQ(manager_.FindControl(CPoint{250, 120}), manager_.FindControl(u"lay_main"));
    EXPECT_FALSE(manager_.FindControl(u"btn_install")->IsVisible());
    EXPECT_TRUE(manager_.FindControl(u"btn_install")->IsOwnVisible());
}

TEST_F(ControlTreeTest, PressAndReleaseOverAButtonClicksAndAReleaseElsewhereDoesNot) {
    Build(Element(
        u"Window", {{u"size", u"300,200"}},
        {Element(
            u"Container", {{u"name", u"lay_main"}},
            {Element(u"Button", {{u"name", u"btn_ok"}, {u"float", u"true"}, {u"pos", u"10,10,110,50"}}),
             Element(u"CheckBox", {{u"name", u"cbx_agree"}, {u"float", u"true"}, {u"pos", u"10,60,26,76"}}),
             Element(u"Button", {{u"name", u"btn_off"},
                                 {u"float", u"true"},
                                 {u"pos", u"10,100,110,140"},
                                 {u"enabled", u"false"}})})}));
    manager_.OnButtonDown({20, 20});
    manager_.OnButtonUp({20, 20});
    manager_.OnButtonDown({20, 20});
    manager_.OnButtonUp({200, 150});  // dragged off before release
    manager_.OnButtonDown({20, 120});
    manager_.OnButtonUp({20, 120});  // disabled
    manager_.OnButtonDown({15, 65});
    manager_.OnButtonUp({15, 65});
    ASSERT_EQ(recorder_.seen.size(), 2u);
    EXPECT_EQ(recorder_.seen[0], (std::pair<std::u16string, std::u16string>{u"click", u"btn_ok"}));
    EXPECT_EQ(recorder_.seen[1], (std::pair<std::u16string, std::u16string>{u"click", u"cbx_agree"}));
    // The check box is toggled before its click is raised.
    EXPECT_TRUE(Find<CCheckBox>(u"cbx_agree")->IsSelected());
}

TEST_F(ControlTreeTest, ComboRebuiltKeepsNoStaleSelection) {
    Build(Element(u"Window", {{u"size", u"300,200"}},
                  {Element(u"Container", {}, {Element(u"Combo", {{u"name", u"cmb_language"}})})}));
    CCombo* combo = Find<CCombo>(u"cmb_language");
    ASSERT_NE(combo, nullptr);
    auto fill = [combo](std::initializer_list<const char16_t*> names) {
        for (const char16_t* name : names) {
            auto item = std::make_unique<CListItem>();
            item->SetText(name);
            item->SetFixedHeight(32);
            combo->Add(std::move(item));
        }
    };
    fill({u"English", u"Deutsch", u"Français"});
    ASSERT_TRUE(combo->SelectItem(2));
    combo->RemoveAll();
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_EQ(combo->GetText(), u"");
    fill({u"English", u"Deutsch", u"Français", u"Italiano"});
    EXPECT_EQ(combo->GetCurSel(), -1);
    ASSERT_TRUE(combo->SelectItem(1));
    int selected = 0;
    for (int i = 0; i < combo->GetCount(); ++i) selected += combo->GetItemAt(i)->IsSelected() ? 1 : 0;
    EXPECT_EQ(selected, 1);
    EXPECT_TRUE(combo->GetItemAt(1)->IsSelected());
    EXPECT_EQ(combo->GetText(), u"Deutsch");
    // Removing an item before the selection keeps the same item selected; removing the selected one clears
    // it.
    ASSERT_TRUE(combo->RemoveAt(0));
    EXPECT_EQ(combo->GetCurSel(), 0);
    EXPECT_EQ(combo->GetText(), u"Deutsch");
    ASSERT_TRUE(combo->RemoveAt(0));
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_FALSE(combo->RemoveAt(5));
    EXPECT_FALSE(combo->SelectItem(7));
    // The program's selection raises no notification.
    EXPECT_TRUE(recorder_.seen.empty());
}

TEST_F(ControlTreeTest, ProgressClampsAndTextsKeepTheirLineBreaks) {
    Build(Element(
        u"Window", {{u"size", u"300,200"}},
        {Element(u"Container", {},
                 {Element(u"Progress", {{u"name", u"progress_download"}, {u"min", u"0"}, {u"max", u"100"}}),
                  Element(u"Label", {{u"name", u"lbl"}, {u"text", u"a{\\n}b"}})})}));
    CProgress* progress = Find<CProgress>(u"progress_download");
    progress->SetValue(140);
    EXPECT_EQ(progress->GetValue(), 100);
    progress->SetValue(-3);
    EXPECT_EQ(progress->GetValue(), 0);
    EXPECT_EQ(Find<CLabel>(u"lbl")->GetText(), u"a\nb");
    Find<CLabel>(u"lbl")->SetToolTip(u"x<n>y");
    EXPECT_EQ(Find<CLabel>(u"lbl")->GetToolTip(), u"x\ny");
}

TEST_F(ControlTreeTest, TimersBoundToControlsFireAndStop) {
    InstallHeadlessBackend();
    auto* backend = static_cast<CHeadlessBackend*>(GetBackend());
    Build(Element(u"Window", {{u"size", u"300,200"}},
                  {Element(u"Container", {},
                           {Element(u"Progress", {{u"name", u"progress_download"}}),
                            Element(u"Button", {{u"name", u"btn_run"}})})}));
    CControl* progress = manager_.FindControl(u"progress_download");
    CControl* run = manager_.FindControl(u"btn_run");
    ASSERT_TRUE(manager_.SetTimer(progress, 1982, 5));
    ASSERT_TRUE(manager_.SetTimer(run, 1990, 5));
    // An unknown timer id stops nothing.
    EXPECT_FALSE(manager_.KillTimer(progress, 4242));
    EXPECT_TRUE(manager_.KillTimer(run, 1990));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    backend->Run([&] { return recorder_.seen.size() >= 3 || std::chrono::steady_clock::now() > deadline; });
    ASSERT_GE(recorder_.seen.size(), 3u);
    for (size_t i = 0; i < recorder_.seen.size(); ++i) {
        EXPECT_EQ(recorder_.seen[i],
                  (std::pair<std::u16string, std::u16string>{u"timer", u"progress_download"}));
        EXPECT_EQ(recorder_.wparams[i], 1982u);
    }
    // A control that goes takes its timers with it.
    manager_.DestroyRoot();
    InstallBackend(nullptr);
}

TEST_F(ControlTreeTest, UnknownElementsAreLeftOutUnlessTheFactoryKnowsThem) {
    struct Factory : IControlFactory {
        std::unique_ptr<CControl> CreateControl(std::u16string_view element) override {
            if (element == u"WebBrowserEx") return std::make_unique<CControl>();
            return nullptr;
        }
    } factory;
    LayoutElement window = Element(
        u"Window", {{u"size", u"300,200"}},
        {Element(u"Font", {{u"id", u"3"}, {u"name", u"Segoe UI"}, {u"size", u"14"}, {u"bold", u"true"}}),
         Element(u"Container", {},
                 {Element(u"WebBrowserEx", {{u"name", u"web_banner"}}),
                  Element(u"Gadget", {{u"name", u"odd"}})})});
    manager_.AttachRoot(BuildControlTree(window, manager_, &factory));
    EXPECT_NE(manager_.FindControl(u"web_banner"), nullptr);
    EXPECT_EQ(manager_.FindControl(u"odd"), nullptr);
    ASSERT_NE(manager_.GetFont(3), nullptr);
    EXPECT_TRUE(manager_.GetFont(3)->bold);
    EXPECT_EQ(manager_.GetFont(3)->size, 14);
}

TEST_F(ControlTreeTest, TextIsMeasuredInTheFontsOfTheFontTable) {
    Build(Element(
        u"Window", {{u"size", u"300,200"}},
        {Element(u"Font", {{u"id", u"1"}, {u"name", u"Segoe UI"}, {u"size", u"13"}}),
         Element(u"Font", {{u"id", u"3"}, {u"name", u"Segoe UI"}, {u"size", u"13"}, {u"bold", u"true"}}),
         Element(u"Font", {{u"id", u"4"}, {u"name", u"Segoe UI"}, {u"size", u"26"}}),
         Element(u"Container", {})}));
    CSize once = manager_.GetTextSize(u"Install now", 1);
    ASSERT_GT(once.cx, 0);
    ASSERT_GT(once.cy, 0);
    CSize twice = manager_.GetTextSize(u"Install nowInstall now", 1);
    EXPECT_NEAR(twice.cx, 2 * once.cx, 3);
    EXPECT_EQ(twice.cy, once.cy);
    EXPECT_GT(manager_.GetTextSize(u"Install now", 3).cx, once.cx);  // bold
    CSize large = manager_.GetTextSize(u"Install now", 4);
    EXPECT_GT(large.cx, once.cx * 3 / 2);
    EXPECT_GT(large.cy, once.cy * 3 / 2);
    // Wrapped at 100 pixels: no wider than that, several lines high.
    CSize wrapped =
        manager_.GetTextSize(u"I have read and agree to the privacy policy and licence agreement", 1, 100);
    EXPECT_LE(wrapped.cx, 100);
    EXPECT_GE(wrapped.cy, 3 * once.cy);
    // A line break doubles the height; markup selects the font of its run.
    EXPECT_NEAR(manager_.GetTextSize(std::u16string(u"Install") + u'\n' + u"now", 1).cy, 2 * once.cy, 2);
    EXPECT_EQ(manager_.GetTextSize(u"{f 3}Install now{/f}", 1, 0, true),
              manager_.GetTextSize(u"Install now", 3));
    // An id that is not in the table measures in the default font, like a control without a font.
    EXPECT_EQ(manager_.GetTextSize(u"Install now", 99), manager_.GetTextSize(u"Install now", -1));
}

TEST_F(ControlTreeTest, PointerOverAButtonWithHandCursorAndTooltip) {
    InstallHeadlessBackend();
    CHeadlessBackend backend_for_windows;
    auto native = backend_for_windows.CreateNativeWindow(nullptr, nullptr, u"t", {0, 0, 300, 200});
    auto* headless = static_cast<CHeadlessNativeWindow*>(native.get());
    manager_.SetNativeWindow(headless);
    Build(Element(u"Window", {{u"size", u"300,200"}},
                  {Element(u"Container", {},
                           {Element(u"Button", {{u"name", u"btn_help"},
                                                {u"float", u"true"},
                                                {u"pos", u"10,10,110,40"},
                                                {u"cursor", u"hand"}})})}));
    auto* help = Find<CButton>(u"btn_help");
    help->SetToolTip(u"Open the<n>help pages");
    manager_.OnMouseMove({20, 20});
    EXPECT_TRUE(help->IsHot());
    EXPECT_EQ(headless->GetCursor(), CursorKind::kHand);
    EXPECT_EQ(headless->GetToolTip(), u"Open the\nhelp pages");
    manager_.OnMouseMove({200, 150});
    EXPECT_FALSE(help->IsHot());
    EXPECT_EQ(headless->GetCursor(), CursorKind::kArrow);
    EXPECT_EQ(headless->GetToolTip(), u"");
    manager_.DestroyRoot();
    manager_.SetNativeWindow(nullptr);
    InstallBackend(nullptr);
}

}  // namespace
}  // namespace skinui
