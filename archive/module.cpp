// The BkVpSrv module: the archive writer and reader, created by class
// identifier. It registers its two classes and is listed nowhere else.
#include "contract/module.h"
#include "archive/backuper.h"
#include "archive/restorer.h"
#include "contract/identifiers.h"

namespace {

const bkvp::ModuleDefinition& ArchiveModule() {
  static const bkvp::ModuleDefinition module{
      "BkVpSrv",
      bkvp::LIBID_BkVpSrv,
      {{bkvp::CLSID_Backuper, "BkVpSrv.Backuper", "Backuper Class",
        &bkvp::CreateObject<bkvp::archive::Backuper>},
       {bkvp::CLSID_Restorer, "BkVpSrv.Restorer", "Restorer Class",
        &bkvp::CreateObject<bkvp::archive::Restorer>}},
      std::nullopt};
  return module;
}

}  // namespace

BKVP_EXPORT_MODULE(ArchiveModule)
