#include "clients/common/string_table.h"

#include "platform/text.h"

namespace bkvp::clients {

StringTable::StringTable(std::initializer_list<std::pair<const int, std::string>> entries,
                         NamingEntries naming)
    : entries_(entries), naming_(naming) {}

std::string StringTable::Load(int id) const {
  const auto it = entries_.find(id);
  if (it == entries_.end()) return "";
  return std::string(platform::CutUtf8(it->second, kStringBufferSize - 1));
}

}  // namespace bkvp::clients
