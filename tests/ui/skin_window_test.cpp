// Windows built from the embedded skin on the headless back end: the layouts carry every control the windows
// address, user input reaches a window's notification map, modal boxes return their close codes, background
// areas drag the window, worker threads post to the main loop.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "formats/utf_conversion.h"
#include "ui/toolkit/backend.h"
#include "ui/toolkit/button.h"
#include "ui/toolkit/combo.h"
#include "ui/toolkit/edit.h"
#include "ui/toolkit/headless_backend.h"
#include "ui/toolkit/progress.h"
#include "ui/toolkit/skin_manager.h"
#include "ui/toolkit/skin_window_base.h"
#include "ui/toolkit/web_view_control.h"

namespace skinui {
namespace {

class TestWindow : public SkinWindowBase {
public:
    TestWindow(std::u16string class_name, std::u16string skin_file)
        : class_name_(std::move(class_name)), skin_file_(std::move(skin_file)) {}

    std::u16string GetWindowClassName() const override { return class_name_; }
    std::u16string GetSkinFile() const override { return skin_file_; }
    std::unique_ptr<CControl> CreateControl(std::u16string_view element) override {
        if (element == u"WebBrowserEx") return std::make_unique<CWebViewControl>();
        return nullptr;
    }
    // As the product's windows do: the named background areas drag the window.
    LRESULT OnNcHitTest(uint32_t, uintptr_t, intptr_t lparam, bool& handled) override {
        handled = true;
        CControl* control = m_pm.FindControl(ScreenToClient(PointFromParam(lparam)));
        if (!control) return HTCLIENT;
        for (const char16_t* name : {u"lay_main", u"lay_caption", u"lay_before", u"lay_downloading",
                                     u"lay_after", u"lay_failed", u"ExtLayout"}) {
            if (control->GetName() == name) return HTCAPTION;
        }
        return HTCLIENT;
    }
    LRESULT HandleCustomMessage(uint32_t msg, uintptr_t wparam, intptr_t, bool& handled) override {
        if (msg < WM_USER) {
            handled = false;
            return 0;
        }
        custom.emplace_back(msg, wparam);
        return 0;
    }
    void OnClick(TNotifyUI& msg) override {
        clicks.push_back(msg.pSender->GetName());
        if (msg.pSender->GetName() == u"btn_ok") Close(IDOK);
        if (msg.pSender->GetName() == u"btn_cancel") Close(IDCANCEL);
        if (msg.pSender->GetName() == u"btn_close") Close(IDCLOSE);
    }

    CHeadlessNativeWindow* Native() { return static_cast<CHeadlessNativeWindow*>(GetNativeWindow()); }
    template <typename T>
    T* Find(std::u16string_view name) {
        return dynamic_cast<T*>(m_pm.FindControl(name));
    }
    CPoint CenterOf(std::u16string_view name) {
        CRect r = m_pm.FindControl(name)->GetPos();
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    std::vector<std::u16string> clicks;
    std::vector<std::pair<uint32_t, uintptr_t>> custom;

private:
    std::u16string class_name_;
    std::u16string skin_file_;
};

class SkinWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallHeadlessBackend();
        ASSERT_TRUE(LoadSkinFromResource());
    }
    void TearDown() override {
        CSkinManager::Instance().Reset();
        InstallBackend(nullptr);
    }
    CHeadlessBackend* Backend() { return static_cast<CHeadlessBackend*>(GetBackend()); }
    // Runs the loop until `done` holds, at most 10 s.
    template <typename Predicate>
    bool RunUntil(Predicate done) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        Backend()->Run([&] { return done() || std::chrono::steady_clock::now() > deadline; });
        return done();
    }
};

struct ExpectedControl {
    const char16_t* name;
    std::u16string_view type;  // GetClass()
    CRect rect;                // {0,0,0,0}: position not fixed by the windows
};

struct LayoutCase {
    const char16_t* file;
    CSize size;
    std::vector<ExpectedControl> controls;
};

TEST_F(SkinWindowTest, EveryControlTheWindowsUseIsInItsLayout) {
    const CRect any;
    const LayoutCase cases[] = {
        {u"skin.xml",
         {600, 400},
         {{u"lay_main", u"VerticalLayout", any},
          {u"lay_before", u"Container", any},
          {u"lay_download", u"Container", any},
          {u"lay_after", u"Container", any},
          {u"lay_failed", u"Container", any},
          {u"lay_caption", u"Container", any},
          {u"lay_license", u"Container", any},
          {u"btn_close", u"Button", any},
          {u"btn_minimal", u"Button", {536, 4, 560, 28}},
          {u"btn_install", u"Button", any},
          {u"cbx_agree", u"CheckBox", any},
          {u"lbl_agree", u"Label", any},
          {u"btn_privacy", u"Button", any},
          {u"lbl_and", u"Label", any},
          {u"btn_eula", u"Button", any},
          {u"lbl_tail", u"Label", any},
          {u"btn_settings", u"Button", any},
          {u"btn_downIcon", u"Button", any},
          {u"btn_upIcon", u"Button", any},
          {u"lbl_install_dir", u"Label", any},
          {u"lbl_folder_bk", u"Label", any},
          {u"edit_install_dir", u"Edit", {174, 404, 442, 428}},
          {u"btn_select_dir", u"Button", any},
          {u"lbl_language", u"Label", any},
          {u"cmb_language", u"Combo", any},
          {u"cbx_ext_install", u"CheckBox", any},
          {u"lab_banner", u"Label", {0, 0, 600, 338}},
          {u"web_banner", u"WebBrowser", {0, 0, 600, 338}},
          {u"progress_download", u"Progress", any},
          {u"lbl_progress_tip", u"Label", any},
          {u"lbl_progress_value", u"Label", any},
          {u"lbl_wait_for_time_tip", u"Label", any},
          {u"btn_run", u"Button", any},
          {u"edit_package", u"Edit", any},
          {u"lbl_title", u"Label", any},
          {u"lbl_install_failed", u"Label", any},
          {u"lbl_tip1", u"Label", any},
          {u"lbl_tip2", u"Label", any},
          {u"lbl_tip3", u"Label", any},
          {u"lbl_tip4", u"Label", any},
          {u"btn_download_pkg", u"Button", any},
          {u"lbl_contact", u"Label", any},
          {u"edit_contact", u"Edit", any},
          {u"edit_remark", u"RichEdit", any},
          {u"btn_help", u"Button", any},
          {u"btn_send_report", u"Button", any},
          {u"web_license", u"WebBrowser", any},
          // The install area of the download page in the privacy-deferred mode.
          {u"btn_settingPrivacy", u"Button", {472, 374, 597, 394}},
          {u"btn_downIconPrivacy", u"Button", {580, 381, 588, 389}},
          {u"btn_upIconPrivacy", u"Button", {580, 381, 588, 389}},
          {u"lbl_install_path_download", u"Label", {58, 403, 188, 423}},
          {u"lbl_folder_bk_path_download", u"Label", {170, 398, 470, 430}},
          {u"edit_install_path_download", u"Edit", {171, 399, 442, 428}},
          {u"btn_change_path_download", u"Button", {442, 402, 466, 426}},
          {u"lbl_space_info", u"Label", {171, 432, 655, 447}}}},
        {u"messagebox.xml",
         {248, 248},
         {{u"lay_main", u"VerticalLayout", any},
          {u"lbl_title", u"Label", {10, 5, 210, 25}},
          {u"btn_close", u"Button", {214, 5, 238, 29}},
          {u"lab_icon", u"Label", {94, 24, 150, 80}},
          {u"edit_content", u"RichEdit", {24, 84, 224, 184}},
          {u"btn_ok", u"Button", {24, 180, 224, 212}},
          {u"btn_cancel", u"Button", {24, 220, 224, 252}}}},
        {u"mask.xml",
         {600, 330},
         {{u"btn_minimal", u"Button", {576, 4, 600, 28}},
          {u"btn_close", u"Button", {608, 4, 632, 28}},
          {u"lbl_tips_bkg", u"Label", {78, 28, 562, 88}},
          {u"lbl_tips", u"Label", {94, 28, 546, 84}},
          {u"btn_close_tip", u"Button", {547, 29, 561, 43}}}},
        {u"privacybox.xml",
         {248, 300},
         {{u"lay_main", u"VerticalLayout", any},
          {u"lbl_title", u"Label", any},
          {u"lbl_content", u"Label", any},
          {u"box_btn_privacy", u"Button", any},
          {u"box_lbl_and", u"Label", any},
          {u"box_btn_eula", u"Button", any},
          {u"box_lbl_tail", u"Label", any},
          {u"btn_agree_install", u"Button", any},
          {u"btn_not_agree", u"Button", any}}},
        {u"redeembox.xml",
         {288, 344},
         {{u"lay_main", u"VerticalLayout", any},
          {u"lbl_content", u"Label", {24, 32, 264, 122}},
          {u"edit_email_bk", u"Label", {24, 128, 264, 160}},
          {u"edit_email", u"Edit", {28, 132, 260, 156}},
          {u"lbl_error_tip", u"Label", {24, 168, 264, 216}},
          {u"lbl_tip", u"Label", {24, 168, 264, 240}},
          {u"btn_ok", u"Button", {24, 248, 264, 280}},
          {u"btn_cancel", u"Button", {24, 288, 264, 320}},
          {u"btn_close", u"Button", {254, 5, 278, 29}}}},
    };
    for (const LayoutCase& layout : cases) {
        SCOPED_TRACE(Utf16ToUtf8(layout.file));
        TestWindow window(u"ixo_test", layout.file);
        ASSERT_NE(window.Create(0, u"test", 0, 0, 0, 0), 0u);
        EXPECT_EQ(window.m_pm.GetInitSize(), layout.size);
        EXPECT_EQ(window.GetNativeWindow()->GetClientSize(), layout.size);
        for (const ExpectedControl& expected : layout.controls) {
            SCOPED_TRACE(Utf16ToUtf8(expected.name));
            CControl* control = window.m_pm.FindControl(expected.name);
            ASSERT_NE(control, nullptr);
            EXPECT_EQ(control->GetClass(), expected.type);
            if (expected.rect != any) {
                // Its place in the skin (pages sit at the window's origin, so these are client pixels).
                CPoint xy = control->GetFixedXY();
                EXPECT_TRUE(control->IsFloat());
                EXPECT_EQ(
                    (CRect{xy.x, xy.y, xy.x + control->GetFixedWidth(), xy.y + control->GetFixedHeight()}),
                    expected.rect);
            }
        }
    }
    // Carried in the archive, loaded by no window, but still a layout.
    EXPECT_TRUE(CSkinManager::Instance().GetLayout(u"selectfolder.xml"));
}

TEST_F(SkinWindowTest, UserInputReachesTheNotificationMap) {
    TestWindow window(u"IXO", u"skin.xml");
    std::vector<std::pair<std::u16string, std::u16string>> seen;
    std::vector<uintptr_t> selected;
    for (const char16_t* type : {u"click", u"itemselect", u"textchanged"}) {
        window.AddNotifyHandler(type, [&](TNotifyUI& msg) {
            seen.emplace_back(msg.sType, msg.pSender->GetName());
            if (msg.sType == u"itemselect") selected.push_back(msg.wParam);
        });
    }
    ASSERT_NE(window.Create(0, u"Mendrake", 0, 0, 0, 0), 0u);
    window.ShowWindow();
    CHeadlessNativeWindow* native = window.Native();

    native->Click(window.CenterOf(u"btn_install"));

    // The language list: shown, filled by the program, opened by a click, a choice made by the user.
    auto* combo = window.Find<CCombo>(u"cmb_language");
    window.ResizeClient(600, 472);
    window.Find<CControl>(u"lbl_language")->SetVisible(true);
    combo->SetVisible(true);
    for (const char16_t* name : {u"English", u"Deutsch"}) {
        auto item = std::make_unique<CListItem>();
        item->SetText(name);
        combo->Add(std::move(item));
    }
    combo->SelectItem(0);
    native->Click(window.CenterOf(u"cmb_language"));
    ASSERT_EQ(native->GetOpenDropDown(), combo);
    ASSERT_TRUE(native->ChooseDropDownItem(1));

    // The contact field of the failure page.
    window.Find<CControl>(u"lay_before")->SetVisible(false);
    window.Find<CControl>(u"lay_failed")->SetVisible(true);
    window.ResizeClient(600, 400);
    auto* contact = window.Find<CEdit>(u"edit_contact");
    CHeadlessTextEntry* entry = native->FindTextEntry(contact);
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->IsVisible());
    ASSERT_TRUE(entry->Type(u"me@example.org"));
    EXPECT_EQ(contact->GetText(), u"me@example.org");
    // A read-only field takes no typing.
    EXPECT_FALSE(native->FindTextEntry(window.Find<CEdit>(u"edit_install_dir"))->Type(u"x"));

    const std::vector<std::pair<std::u16string, std::u16string>> expected = {
        {u"click", u"btn_install"}, {u"itemselect", u"cmb_language"}, {u"textchanged", u"edit_contact"}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(selected, std::vector<uintptr_t>{1});
    // "click" went through the map, so the click operation did not see it.
    EXPECT_TRUE(window.clicks.empty());
}

TEST_F(SkinWindowTest, FocusOfAnEditIsNotified) {
    TestWindow window(u"ixo_redeembox", u"redeembox.xml");
    std::vector<std::u16string> seen;
    window.AddNotifyHandler(
        u"setfocus", [&](TNotifyUI& msg) { seen.push_back(msg.sType + u" " + msg.pSender->GetName()); });
    window.AddNotifyHandler(
        u"killfocus", [&](TNotifyUI& msg) { seen.push_back(msg.sType + u" " + msg.pSender->GetName()); });
    ASSERT_NE(window.Create(0, u"redeembox", 0, 0, 0, 0), 0u);
    auto* email = window.Find<CEdit>(u"edit_email");
    email->SetTipValue(u"email_address");
    CHeadlessTextEntry* entry = window.Native()->FindTextEntry(email);
    ASSERT_NE(entry, nullptr);
    entry->Focus();
    EXPECT_TRUE(email->IsFocused());
    entry->Blur();
    EXPECT_EQ(seen, (std::vector<std::u16string>{u"setfocus edit_email", u"killfocus edit_email"}));
}

TEST_F(SkinWindowTest, ModalBoxReturnsTheCodeOfTheButtonPressed) {
    TestWindow owner(u"IXO", u"skin.xml");
    ASSERT_NE(owner.Create(0, u"Mendrake", 100, 100, 0, 0), 0u);
    owner.ShowWindow();
    const std::pair<const char16_t*, int> cases[] = {
        {u"btn_ok", IDOK}, {u"btn_cancel", IDCANCEL}, {u"btn_close", IDCLOSE}};
    for (const auto& [button, code] : cases) {
        SCOPED_TRACE(Utf16ToUtf8(button));
        TestWindow box(u"ixo_messagebox", u"messagebox.xml");
        ASSERT_NE(box.Create(owner.GetHWND(), u"messagebox", 0, 0, 0, 0), 0u);
        box.Find<CControl>(u"btn_ok")->SetVisible(true);
        box.Find<CControl>(u"btn_cancel")->SetVisible(true);
        box.CenterWindow();
        // Centred on the owner.
        EXPECT_EQ(box.GetWindowPos().x, 100 + (600 - 248) / 2);
        bool owner_was_blocked = false;
        // The user presses the button once the box is up.
        PostToMainLoop([&box, &owner, &owner_was_blocked, name = button] {
            owner_was_blocked = !owner.Native()->IsSensitive();
            box.Native()->Click(box.CenterOf(name));
        });
        EXPECT_EQ(box.ShowModal(), code);
        EXPECT_TRUE(owner_was_blocked);
        EXPECT_TRUE(owner.Native()->IsSensitive());
        EXPECT_EQ(box.GetHWND(), 0u);
        EXPECT_EQ(box.clicks, std::vector<std::u16string>{button});
    }
    // The system close command closes a box with the corner button's code.
    TestWindow box(u"ixo_messagebox", u"messagebox.xml");
    ASSERT_NE(box.Create(owner.GetHWND(), u"messagebox", 0, 0, 0, 0), 0u);
    PostToMainLoop([&box] { box.Native()->RequestClose(); });
    EXPECT_EQ(box.ShowModal(), IDCLOSE);
}

TEST_F(SkinWindowTest, BackgroundDragsTheWindowAndControlsDoNot) {
    TestWindow window(u"IXO", u"skin.xml");
    ASSERT_NE(window.Create(0, u"Mendrake", 50, 60, 0, 0), 0u);
    window.ShowWindow();
    CHeadlessNativeWindow* native = window.Native();
    // A mouse-transparent label on the start page: the hit test finds the page, which drags.
    ASSERT_EQ(window.m_pm.FindControl(CPoint{200, 338}), window.m_pm.FindControl(u"lay_before"))
        << "lbl_agree is transparent to the mouse";
    native->MouseDown({20, 150});
    EXPECT_TRUE(native->IsDragging());
    native->MouseMove({60, 170});
    native->MouseUp({60, 170});
    EXPECT_EQ(window.GetWindowPos().x, 90);
    EXPECT_EQ(window.GetWindowPos().y, 80);
    native->MouseDown(window.CenterOf(u"btn_install"));
    EXPECT_FALSE(native->IsDragging());
    native->MouseUp(window.CenterOf(u"btn_install"));
    EXPECT_EQ(window.clicks, std::vector<std::u16string>{u"btn_install"});
    // Escape and Enter close nothing by themselves.
    EXPECT_FALSE(native->PressKey(VK_ESCAPE));
    EXPECT_FALSE(native->PressKey(VK_RETURN));
    EXPECT_NE(window.GetHWND(), 0u);
}

TEST_F(SkinWindowTest, WorkerThreadsPostInOrderAndPostsToAGoneWindowAreDropped) {
    TestWindow window(u"IXO", u"skin.xml");
    WindowHandle handle = window.Create(0, u"Mendrake", 0, 0, 0, 0);
    ASSERT_NE(handle, 0u);
    std::atomic<int> posted{0};
    std::thread worker([&] {
        for (int i = 0; i < 200; ++i)
            posted += window.PostMessage(WM_USER + 111, static_cast<uintptr_t>(i)) ? 1 : 0;
        // Control updates of later parts go the same way.
        PostToMainLoop([&window] { window.Find<CProgress>(u"progress_download")->SetValue(42); });
    });
    worker.join();
    EXPECT_EQ(posted.load(), 200);
    ASSERT_TRUE(RunUntil([&] { return window.Find<CProgress>(u"progress_download")->GetValue() == 42; }));
    ASSERT_EQ(window.custom.size(), 200u);
    for (size_t i = 0; i < window.custom.size(); ++i) {
        EXPECT_EQ(window.custom[i], (std::pair<uint32_t, uintptr_t>{WM_USER + 111, i}));
    }
    // Closed: the handle is gone and later posts are refused.
    window.Close();
    ASSERT_TRUE(RunUntil([&] { return window.GetHWND() == 0; }));
    EXPECT_FALSE(PostMessageToWindow(handle, WM_USER + 111, 0, 0));
    EXPECT_EQ(FindSkinWindow(handle), nullptr);
}

TEST_F(SkinWindowTest, UnknownTimerIdsAreIgnoredByAWindowThatIdentifiesTimersBySenderAndId) {
    struct TimerWindow : TestWindow {
        TimerWindow() : TestWindow(u"IXO", u"skin.xml") {}
        void Notify(TNotifyUI& msg) override {
            if (msg.sType == u"timer") {
                if (msg.pSender == m_pm.FindControl(u"progress_download") && msg.wParam == 1982)
                    ++progress_ticks;
                return;
            }
            TestWindow::Notify(msg);
        }
        int progress_ticks = 0;
    } window;
    ASSERT_NE(window.Create(0, u"Mendrake", 0, 0, 0, 0), 0u);
    CControl* progress = window.m_pm.FindControl(u"progress_download");
    CControl* run = window.m_pm.FindControl(u"btn_run");
    int unknown_ticks = 0;
    window.AddNotifyHandler(u"timer",
                            [&](TNotifyUI&) { ++unknown_ticks; });  // not reached: Notify takes timers
    ASSERT_TRUE(window.m_pm.SetTimer(progress, 1982, 2));
    ASSERT_TRUE(window.m_pm.SetTimer(run, 4242, 1));
    ASSERT_TRUE(window.m_pm.SetTimer(progress, 77, 1));
    ASSERT_TRUE(RunUntil([&] { return window.progress_ticks >= 3; }));
    EXPECT_EQ(unknown_ticks, 0);
    EXPECT_TRUE(window.clicks.empty());
}

TEST_F(SkinWindowTest, RenderingDrawsTheBackgroundResourceAndArchiveImages) {
    TestWindow window(u"IXO", u"skin.xml");
    ASSERT_NE(window.Create(0, u"Mendrake", 0, 0, 0, 0), 0u);
    std::vector<uint32_t> pixels = window.Native()->RenderPixels();
    ASSERT_EQ(pixels.size(), 600u * 400u);
    auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * 600 + x]; };
    auto channel = [](uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); };
    // The hero of the background picture (resource PNG 136, not in the archive) is blue.
    uint32_t hero = at(40, 120);
    EXPECT_GT(channel(hero, 0), channel(hero, 16) + 60);
    // The install button's face (btn_normal.png of the archive, a nine-patch) is the accent blue #2B6DE5.
    uint32_t button = at(206, 281);
    EXPECT_NEAR(channel(button, 16), 0x2B, 6);
    EXPECT_NEAR(channel(button, 8), 0x6D, 6);
    EXPECT_NEAR(channel(button, 0), 0xE5, 6);
    // Below the hero the page is white.
    EXPECT_EQ(at(20, 390) & 0xFFFFFF, 0xFFFFFFu);

    // Faces follow the state: hot under the pointer, pushed while pressed, disabled; a ticked check box.
    auto rgb = [&](CPoint p) { return at(p.x, p.y) & 0xFFFFFF; };
    CHeadlessNativeWindow* native = window.Native();
    const CPoint face{206, 281};
    native->MouseMove(face);
    pixels = native->RenderPixels();
    EXPECT_EQ(rgb(face), 0x3F7EF0u);  // btn_hot.png
    native->MouseDown(face);
    pixels = native->RenderPixels();
    EXPECT_EQ(rgb(face), 0x1F57C0u);  // btn_pushed.png
    native->MouseUp(face);
    native->MouseMove({20, 390});
    window.Find<CControl>(u"btn_install")->SetEnabled(false);
    pixels = native->RenderPixels();
    EXPECT_EQ(rgb(face), 0xA8C1EEu);  // btn_disabled.png
    const CPoint box{window.CenterOf(u"cbx_agree").x - 4,
                     window.CenterOf(u"cbx_agree").y + 4};  // off the tick
    EXPECT_EQ(rgb(box), 0xFFFFFFu);                         // cbx_normal.png: white inside
    window.Find<CCheckBox>(u"cbx_agree")->Selected(true);
    pixels = native->RenderPixels();
    EXPECT_EQ(rgb(box), 0x2B6DE5u);  // cbx_checked.png

    // Markup: the coloured run is drawn in its colour; the unknown link tag draws nothing of its own.
    auto* agree = window.Find<CLabel>(u"lbl_agree");
    agree->SetText(u"{c #ff0000}MMMM{/c}{l}{/l}");
    pixels = native->RenderPixels();
    CRect r = agree->GetPos();
    int red = 0;
    int other = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            uint32_t p = at(x, y) & 0xFFFFFF;
            if (p == 0xFFFFFF) continue;
            if (((p >> 16) & 0xFF) > 0xC0 && ((p >> 8) & 0xFF) < 0x60 && (p & 0xFF) < 0x60) {
                ++red;
            } else if (((p >> 16) & 0xFF) < 0xC0) {
                ++other;  // not red, not a blend of red into white
            }
        }
    }
    EXPECT_GT(red, 20);
    EXPECT_EQ(other, 0);
    EXPECT_EQ(agree->GetText(), u"{c #ff0000}MMMM{/c}{l}{/l}");
    // The failure page covers the background with its own white.
    window.Find<CControl>(u"lay_before")->SetVisible(false);
    window.Find<CControl>(u"lay_failed")->SetVisible(true);
    pixels = window.Native()->RenderPixels();
    EXPECT_EQ(at(40, 230) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(SkinWindowTest, AWindowWithoutSkinHasNoControlsAndReportsNothing) {
    const char garbage[] = "not a zip archive";
    EXPECT_FALSE(CSkinManager::Instance().SetArchive(garbage, sizeof garbage));
    TestWindow window(u"IXO", u"skin.xml");
    ASSERT_NE(window.Create(0, u"Mendrake", 0, 0, 0, 0), 0u);
    EXPECT_EQ(window.m_pm.GetRoot(), nullptr);
    EXPECT_EQ(window.m_pm.FindControl(u"btn_install"), nullptr);
    // A layout file that names an image the archive lacks still loads; the image is simply not drawn.
    ASSERT_TRUE(LoadSkinFromResource());
    EXPECT_FALSE(CSkinManager::Instance().ReadFile(u"dn_cb_normal.png"));
    EXPECT_FALSE(CSkinManager::Instance().ReadFile(u"../skin.xml"));
}

}  // namespace
}  // namespace skinui
