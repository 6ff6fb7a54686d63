#include "clients/common/client_options.h"

#include "clients/common/registry_access.h"
#include "contract/identifiers.h"

namespace bkvp::clients {

std::string ClientOptionKey(std::string_view serviceClsid, std::string_view subkey) {
  return JoinKeyPath(JoinKeyPath(kProgramKey, serviceClsid), subkey);
}

bool IsSwitchOn(uint32_t value, SwitchRule rule) {
  return rule == SwitchRule::NonZero ? value != 0 : value == 1;
}

CloseRestartOptions ReadCloseRestartSwitches(std::string_view key, SwitchRule rule,
                                             std::string_view autoCloseName,
                                             std::string_view autoRestartName) {
  const auto on = [&](std::string_view name) { return IsSwitchOn(ReadDword(key, name), rule); };
  return {on(autoCloseName), on(autoRestartName)};
}

CloseRestartOptions ReadCloseRestartOptions(std::string_view serviceClsid, SwitchRule rule,
                                            std::string_view autoCloseName,
                                            std::string_view autoRestartName) {
  return ReadCloseRestartSwitches(ClientOptionKey(serviceClsid, kBackuperSubkey), rule,
                                  autoCloseName, autoRestartName);
}

}  // namespace bkvp::clients
