// The common pieces of every call to the maker's platform API: the two base addresses and the switch from the
// first to the second, the client-credentials token exchange, and the reply envelope {"code","msg","data"}
// (code 0 is success). Nothing here keeps state between calls: a token is fetched afresh for each service
// operation and every request starts at the primary address. All calls block the calling thread for their
// transfers.
#pragma once

#include <string>
#include <vector>

// Identity of this client at the platform.
inline constexpr char kPlatformAppKey[] = "a41f0c93e7b25d80c6f3912b.test";
inline constexpr char kPlatformAppSecret[] = "Hx7Ra2LmWq9Ec4Tn8Ub3Vs6Kd1Jg5Yf0Zp";
inline constexpr char kPlatformLanguage[] = "en-us";
inline constexpr char kPlatformTokenPath[] = "/v3/user/client/token";

// Origins without a trailing slash, from the deployment profile unless a test replaced them.
std::string PlatformApiPrimaryBase();
std::string PlatformApiAlternateBase();
// Empty texts restore the profile's addresses.
void SetPlatformApiBasesForTesting(const std::string& primary, const std::string& alternate);

// Whether the switch to the alternate address is logged: the reporters log it, the token fetch and the series
// post switch silently.
enum class SwitchNotice { kSilent, kWarn };

// POSTs `body` to primary base + `path` (HTTP 1.0); when the reply's code is not 0 (a transfer failure, a
// reply that is not JSON, or a refusal) the identical request goes once to the alternate base and its reply,
// whatever it holds, is returned instead.
std::string PostWithFailover(const std::string& path, const std::vector<std::string>& headers,
                             const std::string& body, SwitchNotice notice);

// The same rule for a multipart upload of one file as the form part "file"; the switch is always logged.
std::string PostFileWithFailover(const std::string& path, const std::vector<std::string>& headers,
                                 const std::string& file_path);

// The envelope's integer "code"; -1 for a reply that is not JSON or has no integer code.
int ReplyCode(const std::string& reply);

// The token request, in the header order and byte form the platform expects.
std::vector<std::string> TokenRequestHeaders(const std::string& product_id, const std::string& client_serial,
                                             const std::string& version);
std::string TokenRequestBody();

// "data"."access_token" of a reply whose code is 0; empty otherwise.
std::string AccessTokenOf(const std::string& reply);

// The client-credentials exchange with fail-over. Empty on any failure, after logging
// "[ERROR] get token failed! result=[<reply>].". No expiry is read and nothing is cached.
std::string GetAccessToken(const std::string& product_id, const std::string& client_serial,
                           const std::string& version);
