// The per-client option keys that the pages write and the services read:
// HKEY_CURRENT_USER\SOFTWARE\Tarvik Systems\Backup Vopal\{service clsid}\backuper
// (settings for backup) and ...\restorer (settings for restore).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace bkvp::clients {

constexpr const char* kBackuperSubkey = "backuper";
constexpr const char* kRestorerSubkey = "restorer";

// Values used by the services (a missing value reads as 0 or "").
constexpr const char* kOptAutoClose = "AutoClose";      // 32-bit
constexpr const char* kOptAutoRestart = "AutoRestart";  // 32-bit
constexpr const char* kOptPath = "Path";                // string
constexpr const char* kOptProfileName = "ProfileName";  // string

// The full key path of a client's option key. serviceClsid is the braced
// registry form (string 104); subkey is "backuper" or "restorer".
std::string ClientOptionKey(std::string_view serviceClsid, std::string_view subkey);

// The close-and-restart switches as the services read them. How a value
// counts as "on" differs between clients: Outlook takes any non-zero value,
// the Netscape 6/7 clients only exactly 1. Most clients name the values
// "AutoClose" / "AutoRestart"; the names are given for those that do not.
struct CloseRestartOptions {
  bool autoClose = false;
  bool autoRestart = false;
};
enum class SwitchRule { NonZero, ExactlyOne };
bool IsSwitchOn(uint32_t value, SwitchRule rule);
// The two switches as stored under `key`, a full key path.
CloseRestartOptions ReadCloseRestartSwitches(std::string_view key, SwitchRule rule,
                                             std::string_view autoCloseName,
                                             std::string_view autoRestartName);
CloseRestartOptions ReadCloseRestartOptions(std::string_view serviceClsid, SwitchRule rule,
                                            std::string_view autoCloseName = kOptAutoClose,
                                            std::string_view autoRestartName = kOptAutoRestart);

}  // namespace bkvp::clients
