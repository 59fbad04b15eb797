#include "app/run_config.h"

#include "formats/xml_document.h"

namespace {

struct Field {
    const char16_t* element;
    std::u16string RunConfig::*member;
};

// The file's order.
constexpr Field kFields[] = {
    {u"Status", &RunConfig::Status},
    {u"JoinExp", &RunConfig::JoinExp},
    {u"SelectLang", &RunConfig::SelectLang},
    {u"InstallPath", &RunConfig::InstallPath},
    {u"AgreeExtInstall", &RunConfig::AgreeExtInstall},
    {u"TmpPackagePath", &RunConfig::TmpPackagePath},
};

}  // namespace

bool ReadRunConfigFile(const std::u16string& path, RunConfig& config) {
    CXmlDocument document;
    if (!document.LoadFile(path)) return false;
    document.ResetPosition();
    if (!document.FindElement(u"config")) return false;
    RunConfig read = config;
    for (const Field& field : kFields) {
        document.ResetChildPosition();
        if (!document.FindChildElement(field.element)) continue;
        document.EnterElement();
        read.*field.member = document.GetElementText();
        document.LeaveElement();
    }
    config = read;
    return true;
}

bool WriteRunConfigFile(const std::u16string& path, const RunConfig& config) {
    CXmlDocument document(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    document.AddElement(u"config");
    document.EnterElement();
    for (const Field& field : kFields) document.AddElement(field.element, config.*field.member);
    return document.SaveFile(path);
}

bool IsResumeStatus(const std::u16string& status) {
    // A decimal number as the C library reads one: blanks, a sign, digits; what follows is ignored.
    size_t i = 0;
    while (i < status.size() && (status[i] == u' ' || (status[i] >= u'\t' && status[i] <= u'\r'))) ++i;
    bool negative = false;
    if (i < status.size() && (status[i] == u'+' || status[i] == u'-')) negative = status[i++] == u'-';
    long long value = 0;
    for (; i < status.size() && status[i] >= u'0' && status[i] <= u'9'; ++i) {
        value = value * 10 + (status[i] - u'0');
        if (value > 1) return false;
    }
    return !negative && value == 1;
}
