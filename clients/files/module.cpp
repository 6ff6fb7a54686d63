// The BkVpFiles module: its classes, registration and entry points. The two
// page classes join the class list once they exist; the service answers
// their identifiers already.
#include "contract/module.h"
#include "clients/files/files_identity.h"
#include "clients/files/files_service.h"

namespace {

const bkvp::ModuleDefinition& FilesModule() {
  using namespace bkvp::files;
  static const bkvp::ModuleDefinition definition{
      LoadFilesString(IDS_MODULE_NAME),
      LIBID_BkVpFiles,
      {{CLSID_BkVpFilesSrv, "BkVpFiles.BkVpFilesSrv", "BkVpFilesSrv Class",
        &bkvp::CreateObject<FilesService>}},
      bkvp::ClientDiscovery{CLSID_BkVpFilesSrv, LoadFilesString(IDS_CLIENT_NAME)},
  };
  return definition;
}

}  // namespace

BKVP_EXPORT_MODULE(FilesModule)
