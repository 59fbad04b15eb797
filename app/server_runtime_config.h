// The values that the maker's server gives at run time. Each is text, empty until loaded; where it is
// non-empty it overrides the compiled-in product configuration, value by value (IxoMgr decides).
#pragma once

#include <string>

struct ServerRuntimeConfig {
    std::u16string name;
    std::u16string version;
    std::u16string process_name;
    std::u16string install_url;
    std::u16string download_url;
    std::u16string download_url_with_framework;
    std::u16string download_url_net;
    std::u16string download_url_net_with_framework;
    std::u16string download_url_x64;
    std::u16string download_url_arm64;
    std::u16string banner_url;
    std::u16string oiap_url;
    std::u16string md5;
    std::u16string history_md5_32;
    std::u16string md5_64;
    std::u16string history_md5_64;
    std::u16string md5_arm64;
    std::u16string history_md5_arm64;
    std::u16string filesize;
    std::u16string netfx_minver;
    std::u16string netfxlite_url;
    std::u16string languages;
    std::u16string Url_Jump;
    std::u16string install_error_url;
    std::u16string custom_install_path;
    std::u16string is_allow_install_admin_path;
    std::u16string user_agreement_url;
    std::u16string privacy_agreement_url;
    std::u16string not_support_win32;
};
