#include "clients/netscape/netscape_service.h"

#include "clients/common/client_module.h"
#include "clients/netscape/netscape_backup.h"
#include "clients/netscape/netscape_restore.h"

namespace bkvp::clients::embedded {
const IconSet& NetscapeIcons();  // compiled from icons/netscape.png
}  // namespace bkvp::clients::embedded

namespace bkvp::netscape {

NetscapeService::NetscapeService(const NetscapeEdition& edition)
    : ClientServiceBase(edition.strings, clients::embedded::NetscapeIcons()), edition_(edition) {}

HRESULT NetscapeService::Backup(IBackuper* backuper, IProgress* progress) {
  return BackupProfile(edition_, Waits(), backuper, progress);
}

HRESULT NetscapeService::Restore(IRestorer* restorer, IProgress* progress) {
  return RestoreProfile(edition_, Waits().ask, restorer, progress);
}

HRESULT NetscapeService::ClientPresent(BOOL* value) {
  if (!value) return E_POINTER;
  clients::WriteFlag16(value, 0);
  if (edition_.installed && edition_.installed()) clients::WriteFlag16(value, 0xFFFF);
  return S_OK;
}

HRESULT NetscapeService::SetOptions(VARIANT) { return S_OK; }

HRESULT NetscapeService::AnswerHasBackup(VARIANT* value) {
  VariantClear(value);
  *value = MakeStringVariant("");
  return S_OK;
}

ModuleDefinition MakeModuleDefinition(const NetscapeEdition& edition, IUnknown* (*create)()) {
  return clients::MakeClientModule(edition.strings, edition.classes, create);
}

}  // namespace bkvp::netscape
