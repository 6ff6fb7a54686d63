#include "clients/common/client_options.h"

#include "clients/common/registry_access.h"
#include "contract/identifiers.h"

namespace bkvp::clients {

std::string ClientOptionKey(std::string_view serviceClsid, std::string_view subkey) {
  return JoinKeyPath(JoinKeyPath(kProgramKey, serviceClsid), subkey);
}

CloseRestartOptions ReadCloseRestartOptions(std::string_view serviceClsid, SwitchRule rule,
                                            std::string_view autoCloseName,
                                            std::string_view autoRestartName) {
  const std::string key = ClientOptionKey(serviceClsid, kBackuperSubkey);
  const auto on = [&](std::string_view name) {
    const uint32_t value = ReadDword(key, name);
    return rule == SwitchRule::NonZero ? value != 0 : value == 1;
  };
  return {on(autoCloseName), on(autoRestartName)};
}

}  // namespace bkvp::clients
