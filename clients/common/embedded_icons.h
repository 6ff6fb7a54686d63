// Icons are small PNG pictures embedded in their module (see
// bkvp_embed_icons in clients/common/EmbedIcons.cmake) and handed out as
// handles of the contract's icon table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bkvp::clients {

struct EmbeddedIcon {
  int id;  // resource number, e.g. 201
  const uint8_t* png;
  size_t size;
};
using IconSet = std::vector<EmbeddedIcon>;

// The icon-table handle of icon `id` (registered on first use; the same
// picture always gives the same handle); 0 when the set has no such icon.
uint32_t IconHandle(const IconSet& icons, int id);

}  // namespace bkvp::clients
