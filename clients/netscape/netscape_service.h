// The service object of the Netscape 6 and Netscape 7 modules.
#pragma once

#include "clients/common/client_service.h"
#include "clients/netscape/netscape_edition.h"
#include "contract/module.h"

namespace bkvp::netscape {

class NetscapeService : public clients::ClientServiceBase {
 public:
  explicit NetscapeService(const NetscapeEdition& edition);

  HRESULT Backup(IBackuper* backuper, IProgress* progress) override;
  HRESULT Restore(IRestorer* restorer, IProgress* progress) override;
  // Clears the flag, then sets its low half to 0xFFFF when this generation
  // of the browser is installed.
  HRESULT ClientPresent(BOOL* value) override;
  // These clients keep no option bytes and accept any variant.
  HRESULT SetOptions(VARIANT options) override;

 protected:
  HRESULT AnswerHasBackup(VARIANT* value) override;

 private:
  const NetscapeEdition& edition_;
};

template <const NetscapeEdition& (*Edition)()>
IUnknown* CreateNetscapeService() {
  return static_cast<IBkVpService*>(new NetscapeService(Edition()));
}

// The module's registration: the service class, the discovery entry and the
// classes of its page module.
ModuleDefinition MakeModuleDefinition(const NetscapeEdition& edition, IUnknown* (*create)());

}  // namespace bkvp::netscape

// Defines the module serving the edition that EditionFunction returns and
// exports its entry points; one line in each module's source.
#define BKVP_NETSCAPE_MODULE(EditionFunction)                                                  \
  namespace {                                                                                  \
  const ::bkvp::ModuleDefinition& NetscapeModule() {                                           \
    static const ::bkvp::ModuleDefinition definition = ::bkvp::netscape::MakeModuleDefinition( \
        EditionFunction(), &::bkvp::netscape::CreateNetscapeService<&EditionFunction>);        \
    return definition;                                                                         \
  }                                                                                            \
  }                                                                                            \
  BKVP_EXPORT_MODULE(NetscapeModule)
