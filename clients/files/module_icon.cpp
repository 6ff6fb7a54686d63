#include "clients/files/module_icon.h"

#include "contract/component.h"
#include "contract/icons.h"
#include "platform/files.h"

namespace bkvp::files {

uint32_t ModuleIconHandle() {
  static const uint32_t handle = [] {
    const std::string folder =
        platform::ParentFolder(ModulePathOf(reinterpret_cast<const void*>(&ModuleIconHandle)));
    const std::string copy = folder.empty() ? "" : folder + "/" + kIconFileName;
    return RegisterIcon(kFilesIconPng, kFilesIconPngSize,
                        !copy.empty() && platform::FileExists(copy) ? copy : "");
  }();
  return handle;
}

}  // namespace bkvp::files
