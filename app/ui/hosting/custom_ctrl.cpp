#include "app/ui/hosting/custom_ctrl.h"

#include "contract/bstr.h"
#include "contract/component.h"

namespace bkvp::ui {

namespace {

constexpr BOOL kStore = 1;
constexpr BOOL kLoad = 0;

}  // namespace

CCustomCtrl::CCustomCtrl(PageKind kind, QWidget* parent) : QWidget(parent), kind_(kind) {}

CCustomCtrl::~CCustomCtrl() { DestroyPage(); }

bool CCustomCtrl::CreateClientPage(IBkVpService* service) {
  if (HasPage()) return true;
  if (!service) {
    lastError_ = "no client";
    return false;
  }
  BSTR clsid = nullptr;
  const HRESULT hr = kind_ == PageKind::kBackup ? service->GetAxBackupCLSID(&clsid)
                                                : service->GetAxRestoreCLSID(&clsid);
  const Bstr owned = Bstr::Attach(clsid);
  if (Failed(hr) || !clsid) {
    lastError_ = "the client names no page";
    return false;
  }
  return CreatePage(ToAnsi(owned.get()));
}

bool CCustomCtrl::CreatePage(const std::string& clsid) {
  if (HasPage()) return true;
  lastError_.clear();
  const auto id = GuidFromString(clsid);
  if (!id) {
    lastError_ = "\"" + clsid + "\" is no class identifier";
    return false;
  }
  ComPtr<IBkVpControlSite> site;
  if (Failed(CoCreateInstance(*id, nullptr, IBkVpControlSite::kIid, site.out()))) {
    lastError_ = LastComponentError();
    return false;
  }
  ComPtr<IBkVpAxBackup> backup;
  ComPtr<IBkVpAxRestore> restore;
  if (kind_ == PageKind::kBackup)
    backup = site.As<IBkVpAxBackup>();
  else
    restore = site.As<IBkVpAxRestore>();
  if (!backup && !restore) {
    lastError_ = "class " + clsid + " is no page of this kind";
    return false;
  }
  const int controlId = kind_ == PageKind::kBackup ? kBackupPageControlId : kRestorePageControlId;
  if (Failed(
          site->CreateControl(static_cast<QWidget*>(this), 0, 0, width(), height(), controlId))) {
    lastError_ = "the page of class " + clsid + " could not create its window";
    return false;
  }
  site_ = std::move(site);
  backup_ = std::move(backup);
  restore_ = std::move(restore);
  LoadSettings();
  return true;
}

void CCustomCtrl::ShowPage() {
  if (site_) site_->ShowControl();
}

void CCustomCtrl::HidePage() {
  if (site_) site_->HideControl();
}

void CCustomCtrl::DestroyPage() {
  if (!site_) return;
  site_->DestroyControl();
  site_.Reset();
  backup_.Reset();
  restore_.Reset();
}

HRESULT CCustomCtrl::Persist(BOOL action) {
  if (backup_) return backup_->PersistSettings(action);
  if (restore_) return restore_->PersistSettings(action);
  return S_OK;
}

bool CCustomCtrl::StoreSettings() { return Succeeded(Persist(kStore)); }

bool CCustomCtrl::LoadSettings() { return Succeeded(Persist(kLoad)); }

bool CCustomCtrl::Validate() {
  if (!site_) return true;
  BOOL valid = 0;
  const HRESULT hr = backup_ ? backup_->Validate(&valid) : restore_->Validate(&valid);
  return Succeeded(hr) && (static_cast<uint32_t>(valid) & 0xFFFFu) == 0xFFFFu;
}

void CCustomCtrl::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (site_) site_->MoveControl(0, 0, width(), height());
}

}  // namespace bkvp::ui
