// The BkVpSrv module: the archive writer, reader and checker, created by
// class identifier. It registers its classes and is listed nowhere else.
#include "contract/module.h"
#include "archive/archive_check.h"
#include "archive/backuper.h"
#include "archive/restorer.h"
#include "contract/identifiers.h"

namespace {

// The writer answers two interfaces; its IUnknown is that of IBackuper.
bkvp::IUnknown* CreateBackuper() {
  return static_cast<bkvp::IBackuper*>(new bkvp::archive::Backuper());
}

const bkvp::ModuleDefinition& ArchiveModule() {
  static const bkvp::ModuleDefinition module{
      "BkVpSrv",
      bkvp::LIBID_BkVpSrv,
      {{bkvp::CLSID_Backuper, "BkVpSrv.Backuper", "Backuper Class", &CreateBackuper},
       {bkvp::CLSID_Restorer, "BkVpSrv.Restorer", "Restorer Class",
        &bkvp::CreateObject<bkvp::archive::Restorer>},
       {bkvp::CLSID_ArchiveChecker, "BkVpSrv.ArchiveChecker", "ArchiveChecker Class",
        &bkvp::CreateObject<bkvp::archive::ArchiveChecker>}},
      std::nullopt};
  return module;
}

}  // namespace

BKVP_EXPORT_MODULE(ArchiveModule)
