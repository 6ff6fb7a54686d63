// The BkVpFiles module: its classes, registration and entry points. The two
// page classes join the class list once they exist; the service answers
// their identifiers already.
#include "clients/common/client_module.h"
#include "clients/files/files_identity.h"
#include "clients/files/files_service.h"

namespace bkvp::files {
namespace {

const ModuleDefinition& Definition() {
  static const ModuleDefinition module = clients::MakeClientModule(
      FilesStrings(), LIBID_BkVpFiles, "BkVpFilesSrv", &CreateObject<FilesService>);
  return module;
}

}  // namespace
}  // namespace bkvp::files

BKVP_EXPORT_MODULE(bkvp::files::Definition)
