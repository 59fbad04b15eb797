// CEmbeddedControl hosts a foreign native widget over its rectangle; CWebViewControl is the web page host
// that the windows address by name. The toolkit keeps the addresses and the event handler; the widget that
// shows pages is provided by a subclass through the hooks below (without one the control draws its
// background).
#pragma once

#include <string>

#include "ui/toolkit/control.h"

namespace skinui {

class CWebViewControl;

// Receives the events of a web view; every operation has a do-nothing default.
class CWebViewEventHandler {
public:
    virtual ~CWebViewEventHandler() = default;
    virtual void OnNavigationError(CWebViewControl* /*view*/, const std::u16string& /*url*/) {}
    virtual void OnDocumentComplete(CWebViewControl* /*view*/, const std::u16string& /*url*/) {}
};

class CEmbeddedControl : public CControl {
public:
    std::u16string_view GetClass() const override { return u"Embedded"; }
    void SetAttribute(std::u16string_view name, std::u16string_view value) override;
    const std::u16string& GetClassId() const { return class_id_; }
    bool IsDelayCreate() const { return delay_create_; }

private:
    std::u16string class_id_;
    bool delay_create_ = true;
};

class CWebViewControl : public CEmbeddedControl {
public:
    std::u16string_view GetClass() const override { return u"WebBrowser"; }

    void SetWebViewEventHandler(CWebViewEventHandler* handler) { handler_ = handler; }
    CWebViewEventHandler* GetWebViewEventHandler() const { return handler_; }

    // Navigates at once.
    void Navigate2(const std::u16string& url);
    void SetHomePage(const std::u16string& url) { home_page_ = url; }
    const std::u16string& GetHomePage() const { return home_page_; }
    void NavigateHomePage() { Navigate2(home_page_); }
    // The address of the latest navigation request.
    const std::u16string& GetCurrentUrl() const { return current_url_; }

    void SetAttribute(std::u16string_view name, std::u16string_view value) override;

protected:
    // The page host: a subclass that shows pages loads `url` here.
    virtual void OnNavigate(const std::u16string& /*url*/) {}

private:
    CWebViewEventHandler* handler_ = nullptr;
    std::u16string home_page_;
    std::u16string current_url_;
};

}  // namespace skinui
