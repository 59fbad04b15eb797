// What the registry says about installed products: the maker's install registrations, the uninstall entries
// and the companion product.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Under Software\<brand> of the local machine, the first sub-key (in the store's stable order) whose DWORD
// "PID" equals `product_id` (read as a decimal number) and whose string "InstallInfo" is non-empty decides:
// its string `value_name` ("Version", "InstallName", "InstallPath"), or empty.
std::u16string GetInstalledValue(const std::u16string& brand, const std::u16string& product_id,
                                 const std::u16string& value_name);

// Whether that registration has a non-empty "Version".
bool IsProductInstalled(const std::u16string& brand, const std::u16string& product_id);

// The "Version" of the first uninstall entry whose string "PID" equals `product_id`, looked for among the
// 64-bit view's entries first and the 32-bit view's after; empty when none has one.
std::u16string GetUninstallVersion(const std::u16string& product_id);

// The companion product's executable: "InstallName" of Software\Kelvarosoft\Kelvarosoft Atelier Hub in the
// 64-bit view, then the 32-bit view; the first that names an existing file, else what the 32-bit view held.
std::u16string GetCompanionInstallName();
bool IsCompanionInstalled();

// A number kept for the current user: the DWORD `name` of the key (created when missing on writing).
std::optional<uint32_t> GetUserDword(const std::u16string& key, const std::u16string& name);
bool SetUserDword(const std::u16string& key, const std::u16string& name, uint32_t value);

// The "Version" of Software\Microsoft\Internet Explorer (32-bit view), or "-" when there is none.
std::u16string GetIeVersion();
