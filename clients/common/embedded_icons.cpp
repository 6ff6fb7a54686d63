#include "clients/common/embedded_icons.h"

#include "contract/icons.h"

namespace bkvp::clients {

uint32_t IconHandle(const IconSet& icons, int id) {
  for (const EmbeddedIcon& icon : icons)
    if (icon.id == id) return RegisterIcon(icon.png, icon.size);
  return 0;
}

}  // namespace bkvp::clients
