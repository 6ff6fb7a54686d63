// The BkVpFiles module: its service class, registration and entry points.
// The two page classes live in the companion module BkVpFilesPages, which
// links Qt; registering this module registers them too.
#include "clients/common/client_module.h"
#include "clients/files/files_identity.h"
#include "clients/files/files_service.h"

namespace bkvp::files {
namespace {

const ModuleDefinition& Definition() {
  static const ModuleDefinition module =
      clients::MakeClientModule(FilesStrings(), kFilesClasses, &CreateObject<FilesService>);
  return module;
}

}  // namespace
}  // namespace bkvp::files

BKVP_EXPORT_MODULE(bkvp::files::Definition)
