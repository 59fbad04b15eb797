// skin-preview: opens one layout of the embedded skin in a real window, for the people who design skins.
//
//   skin-preview [OPTIONS] LAYOUT [CONTROL | -CONTROL ...]
//
// CONTROL is made visible (a page shown this way hides the other pages beside it), -CONTROL hidden. Once the
// window is shown it prints one line "rect NAME LEFT TOP RIGHT BOTTOM" (client pixels) for every visible
// named control, then one line "TYPE SENDER" for every notification it receives, all on standard output.
//
// Options:
//   --set NAME.ATTRIBUTE=VALUE   applies a layout attribute to a control ("btn_run.text=Start now")
//   --items NAME=A,B,...         fills a combo with items of height 32 and selects the first
//   --size WIDTH,HEIGHT          resizes the client area (the start page's settings area needs 600,472)
//   --screenshot FILE            writes a PNG of the window once it is drawn
//   --quit                       ends after the screenshot
//   --headless                   no display: the headless back end (the screenshot is drawn by the toolkit)
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "formats/utf_conversion.h"
#include "ui/toolkit/attribute_values.h"
#include "ui/toolkit/backend.h"
#include "ui/toolkit/combo.h"
#include "ui/toolkit/container.h"
#include "ui/toolkit/skin_manager.h"
#include "ui/toolkit/skin_window_base.h"
#include "ui/toolkit/web_view_control.h"

namespace {

using namespace skinui;

struct Options {
    std::u16string layout;
    std::vector<std::string> controls;
    std::vector<std::string> settings;
    std::vector<std::string> items;
    std::string screenshot;
    CSize size;
    bool quit = false;
    bool headless = false;
};

void PrintLine(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

class PreviewWindow : public SkinWindowBase {
public:
    explicit PreviewWindow(const Options& options) : options_(options) {}

    std::u16string GetWindowClassName() const override { return u"ixo_skin_preview"; }
    std::u16string GetSkinFile() const override { return options_.layout; }

    std::unique_ptr<CControl> CreateControl(std::u16string_view element) override {
        if (element == u"WebBrowserEx") return std::make_unique<CWebViewControl>();
        return nullptr;
    }

    void InitWindow() override {
        for (const std::string& entry : options_.controls) {
            bool hide = entry.front() == '-';
            CControl* control = m_pm.FindControl(Utf8ToUtf16(hide ? entry.substr(1) : entry));
            if (!control) {
                std::fprintf(stderr, "skin-preview: no control named %s\n", entry.c_str());
                continue;
            }
            if (!hide && !control->IsFloat()) HidePagesBeside(control);
            control->SetVisible(!hide);
        }
        for (const std::string& setting : options_.settings) {
            size_t dot = setting.find('.');
            size_t equals = setting.find('=');
            if (dot == std::string::npos || equals == std::string::npos || equals < dot) continue;
            if (CControl* control = m_pm.FindControl(Utf8ToUtf16(setting.substr(0, dot)))) {
                control->SetAttribute(Utf8ToUtf16(setting.substr(dot + 1, equals - dot - 1)),
                                      Utf8ToUtf16(setting.substr(equals + 1)));
            }
        }
        for (const std::string& entry : options_.items) {
            size_t equals = entry.find('=');
            if (equals == std::string::npos) continue;
            auto* combo = dynamic_cast<CCombo*>(m_pm.FindControl(Utf8ToUtf16(entry.substr(0, equals))));
            if (!combo) continue;
            std::string list = entry.substr(equals + 1);
            for (size_t start = 0; start <= list.size();) {
                size_t comma = std::min(list.find(',', start), list.size());
                auto item = std::make_unique<CListItem>();
                item->SetText(Utf8ToUtf16(list.substr(start, comma - start)));
                item->SetFixedHeight(32);
                combo->Add(std::move(item));
                start = comma + 1;
            }
            combo->SetDropBoxSize({combo->GetFixedWidth(), combo->GetCount() * 32 + 2});
            combo->SelectItem(0);
        }
        if (options_.size.cx > 0 && options_.size.cy > 0) ResizeClient(options_.size.cx, options_.size.cy);
    }

    void Notify(TNotifyUI& msg) override {
        PrintLine(Utf16ToUtf8(msg.sType) + " " + (msg.pSender ? Utf16ToUtf8(msg.pSender->GetName()) : ""));
        SkinWindowBase::Notify(msg);
    }

    void OnFinalMessage(WindowHandle) override { QuitMessageLoop(); }

    void PrintRects() {
        if (CControl* root = m_pm.GetRoot()) PrintRects(root);
    }

private:
    // Pages are the non-floating children of one container: showing one hides the others.
    static void HidePagesBeside(CControl* control) {
        auto* parent = dynamic_cast<CContainer*>(control->GetParent());
        if (!parent) return;
        for (int i = 0; i < parent->GetCount(); ++i) {
            CControl* sibling = parent->GetItemAt(i);
            if (sibling != control && !sibling->IsFloat()) sibling->SetVisible(false);
        }
    }

    void PrintRects(CControl* control) {
        if (!control->IsVisible()) return;
        if (!control->GetName().empty()) {
            const CRect& r = control->GetPos();
            PrintLine("rect " + Utf16ToUtf8(control->GetName()) + " " + std::to_string(r.left) + " " +
                      std::to_string(r.top) + " " + std::to_string(r.right) + " " + std::to_string(r.bottom));
        }
        if (auto* container = dynamic_cast<CContainer*>(control)) {
            for (int i = 0; i < container->GetCount(); ++i) PrintRects(container->GetItemAt(i));
        }
    }

    const Options& options_;
};

int Usage() {
    std::fprintf(stderr,
                 "usage: skin-preview [--set NAME.ATTRIBUTE=VALUE] [--items NAME=A,B] [--size W,H] "
                 "[--screenshot FILE] [--quit] "
                 "[--headless] LAYOUT [CONTROL | -CONTROL ...]\n");
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        bool has_value = i + 1 < argc;
        if (argument == "--set" && has_value) {
            options.settings.push_back(argv[++i]);
        } else if (argument == "--items" && has_value) {
            options.items.push_back(argv[++i]);
        } else if (argument == "--size" && has_value) {
            options.size = ParseSize(Utf8ToUtf16(argv[++i])).value_or(CSize{});
        } else if (argument == "--screenshot" && has_value) {
            options.screenshot = argv[++i];
        } else if (argument == "--quit") {
            options.quit = true;
        } else if (argument == "--headless") {
            options.headless = true;
        } else if (argument.rfind("--", 0) == 0) {
            return Usage();
        } else if (options.layout.empty()) {
            options.layout = Utf8ToUtf16(argument);
        } else if (!argument.empty()) {
            options.controls.push_back(argument);
        }
    }
    if (options.layout.empty()) return Usage();

    if (options.headless) {
        InstallHeadlessBackend();
    } else if (!InstallGtkBackend()) {
        std::fprintf(stderr, "skin-preview: no display (use --headless)\n");
        return 1;
    }
    if (!LoadSkinFromResource() || !CSkinManager::Instance().GetLayout(options.layout)) {
        std::fprintf(stderr, "skin-preview: the embedded skin has no layout %s\n",
                     Utf16ToUtf8(options.layout).c_str());
        return 1;
    }

    PreviewWindow window(options);
    if (window.Create(0, u"skin-preview", 40, 40, 0, 0) == 0) {
        std::fprintf(stderr, "skin-preview: cannot create the window\n");
        return 1;
    }
    window.ShowWindow(true, true);
    PostToMainLoop([&window] { window.PrintRects(); });

    int status = 0;
    if (!options.screenshot.empty()) {
        // Long enough for the first frames to reach the screen; the file is for people, not for tests.
        window.m_pm.SetTimer(window.m_pm.GetRoot(), 1, options.headless ? 1 : 400);
        window.AddNotifyHandler(u"timer", [&](TNotifyUI&) {
            window.m_pm.KillTimer(window.m_pm.GetRoot(), 1);
            if (!window.GetNativeWindow()->SaveScreenshot(options.screenshot)) {
                std::fprintf(stderr, "skin-preview: cannot write %s\n", options.screenshot.c_str());
                status = 1;
            }
            if (options.quit) QuitMessageLoop();
        });
    }
    RunMessageLoop();
    return status;
}
