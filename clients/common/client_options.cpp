#include "clients/common/client_options.h"

#include "clients/common/registry_access.h"
#include "contract/identifiers.h"

namespace bkvp::clients {

std::string ClientOptionKey(std::string_view serviceClsid, std::string_view subkey) {
  return JoinKeyPath(JoinKeyPath(kProgramKey, serviceClsid), subkey);
}

CloseRestartOptions ReadCloseRestartOptions(std::string_view serviceClsid, SwitchRule rule) {
  const std::string key = ClientOptionKey(serviceClsid, kBackuperSubkey);
  const auto on = [&](const char* name) {
    const uint32_t value = ReadDword(key, name);
    return rule == SwitchRule::NonZero ? value != 0 : value == 1;
  };
  return {on(kOptAutoClose), on(kOptAutoRestart)};
}

}  // namespace bkvp::clients
