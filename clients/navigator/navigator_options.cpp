#include "clients/navigator/navigator_options.h"

#include "clients/common/client_options.h"
#include "clients/common/registry_access.h"
#include "clients/navigator/navigator_strings.h"

namespace bkvp::navigator {

namespace {

constexpr int kStrFirstItemValue = 250;

}  // namespace

std::string ItemValueName(size_t item) {
  return Strings().Load(kStrFirstItemValue + static_cast<int>(item));
}

std::string BackuperKey() {
  return clients::ClientOptionKey(Strings().ServiceClsid(), Strings().Load(kStrBackuperSubkey));
}

std::string RestorerKey() {
  return clients::ClientOptionKey(Strings().ServiceClsid(), Strings().Load(kStrRestorerSubkey));
}

ItemSelection ReadItemSelection(std::string_view fullKeyPath) {
  ItemSelection selection{};
  for (size_t item = 0; item < kItemCount; ++item)
    selection[item] = clients::ReadDword(fullKeyPath, ItemValueName(item)) != 0 ? 1 : 0;
  return selection;
}

bool ReplaceItemSelection(std::string_view fullKeyPath, const std::vector<uint8_t>& bytes) {
  clients::DeleteAllValues(fullKeyPath);
  bool written = true;
  for (size_t item = 0; item < kItemCount && item < bytes.size(); ++item)
    written =
        clients::WriteDword(fullKeyPath, ItemValueName(item), bytes[item] != 0 ? 1 : 0) && written;
  return written;
}

}  // namespace bkvp::navigator
