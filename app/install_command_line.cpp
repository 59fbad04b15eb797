#include "app/install_command_line.h"

#include <cstdio>

#include "formats/utf_conversion.h"

namespace {

std::u16string Decimal(int32_t value) {
    return Utf8ToUtf16(std::to_string(value));
}

std::u16string Hex(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", uint32_t(value));
    return Utf8ToUtf16(text);
}

std::u16string Quoted(const std::u16string& text) {
    return u"\"" + text + u"\"";
}

}  // namespace

std::u16string InstallerLogPath(const std::u16string& temp_folder, int32_t id) {
    return temp_folder + u"IXO-" + Decimal(id) + u".log";
}

std::u16string BuildProductInstallLine(const DownTask& task, const std::u16string& install_folder,
                                       const InstallLineContext& context) {
    std::u16string line = u"/VERYSILENT /NOPAGE /LANG=" + context.language_code;
    line += u" /LOG=" + Quoted(InstallerLogPath(context.temp_folder, task.id));
    line += u" /installpath:" + Quoted(install_folder);
    line += u" /DIR=" + Quoted(install_folder) + u" /IXOWIN=" + Hex(context.window);
    line += u" /PID=" + Decimal(task.id);
    if (!task.scene_code.empty()) line += u" /SCENE_CODE=" + task.scene_code;
    if (context.privacy_post) line += u" /POP_PRIVACY";
    if (!task.install_argument.empty()) line += u" /TOKEN_PRODUCTINSTALL_ARG=" + task.install_argument;
    if (task.id == kCompanionProductId) line += u" /NOTRUN";
    if (!context.clipboard_value.empty()) line += u" " + context.clipboard_value;
    return line;
}

std::u16string BuildDependentInstallLine(const DownTask& task, const std::u16string& install_folder,
                                         const InstallLineContext& context) {
    std::u16string line = u"/VERYSILENT /NOPAGE /LANG=" + context.language_code;
    line +=
        u" /LOG=\"" + InstallerLogPath(context.temp_folder, task.id) + u"\" /IXOWIN=" + Hex(context.window);
    line += u" /PID=" + Decimal(task.id);
    // The blank after "/installpath:" is what the dependents' installers have always been given.
    if (task.startup)
        line += u" /installpath: " + Quoted(install_folder) + u" /DIR=" + Quoted(install_folder);
    if (!task.install_argument.empty()) line += u" /TOKEN_PRODUCTINSTALL_ARG=" + task.install_argument;
    if (context.fork_mode && task.id == kCompanionProductId) {
        line += u" /NOTRUN /HOSTINFOPATH=" + Quoted(context.host_info_path);
    }
    return line;
}
