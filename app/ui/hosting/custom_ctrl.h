// CCustomCtrl: the window of a wizard page that hosts one client's backup or
// restore page. The page is created by class identifier from the client's
// page module and filled into this window; the wizard then drives it only
// through the page interface's own slots. A client without a page module, or
// whose page cannot be created, leaves this window an empty area: its page
// calls then do nothing and it counts as valid.
#pragma once

#include <QWidget>
#include <string>

#include "contract/interfaces.h"

namespace bkvp::ui {

enum class PageKind { kBackup, kRestore };

// Control identifiers of hosted pages.
constexpr int kBackupPageControlId = 108;
constexpr int kRestorePageControlId = 109;

class CCustomCtrl : public QWidget {
  Q_OBJECT

 public:
  CCustomCtrl(PageKind kind, QWidget* parent);
  ~CCustomCtrl() override;

  // Asks the client for its page's class identifier (GetAxBackupCLSID or
  // GetAxRestoreCLSID) and creates that page. Nothing happens when a page
  // exists already.
  bool CreateClientPage(IBkVpService* service);
  // Creates the page of class `clsid` (registry string form) as a hidden
  // child filling this window, then loads its settings. False when it cannot
  // be created; LastError() says why.
  bool CreatePage(const std::string& clsid);
  bool HasPage() const { return static_cast<bool>(site_); }
  const std::string& LastError() const { return lastError_; }

  void ShowPage();
  void HidePage();
  void DestroyPage();

  // PersistSettings(1) / PersistSettings(0); false when the page failed.
  bool StoreSettings();
  bool LoadSettings();
  // The page is valid only when the flag's low 16 bits come back as 0xFFFF
  // (the flag is 0 before the call).
  bool Validate();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  HRESULT Persist(BOOL action);

  PageKind kind_;
  ComPtr<IBkVpControlSite> site_;
  ComPtr<IBkVpAxBackup> backup_;    // set for a backup page
  ComPtr<IBkVpAxRestore> restore_;  // set for a restore page
  std::string lastError_;
};

}  // namespace bkvp::ui
