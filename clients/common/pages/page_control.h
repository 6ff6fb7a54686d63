// The page object of a client's page module: implements the page interface
// (IBkVpAxBackup or IBkVpAxRestore) and the control-site interface around one
// PageContent widget. A page module lists its classes with CreatePage:
//
//   {CLSID_..., "BkVpFiles.BkVpFilesFolders", "BkVpFilesFolders Class",
//    &pages::CreatePage<IBkVpAxBackup, BackupListPage>}
#pragma once

#include <atomic>

#include "clients/common/pages/page_site.h"
#include "contract/interfaces.h"

namespace bkvp::pages {

template <class PageInterface, class Content>
class PageControl final : public WithoutLateBinding<PageInterface>,
                          public WithoutLateBinding<IBkVpControlSite> {
 public:
  PageControl() : site_([](QWidget* parent) -> PageContent* { return new Content(parent); }) {}

  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (!object) return E_POINTER;
    if (iid == IUnknown::kIid || iid == IDispatch::kIid || iid == PageInterface::kIid) {
      *object = static_cast<PageInterface*>(this);
    } else if (iid == IBkVpControlSite::kIid) {
      *object = static_cast<IBkVpControlSite*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT PersistSettings(BOOL action) override { return site_.PersistSettings(action); }
  // The pages leave the flag as the caller set it.
  HRESULT SettingsChanged(BOOL* changed) override { return changed ? S_OK : E_POINTER; }
  HRESULT Validate(BOOL* valid) override { return site_.Validate(valid); }

  HRESULT CreateControl(void* parent, LONG left, LONG top, LONG width, LONG height,
                        LONG controlId) override {
    return site_.Create(parent, left, top, width, height, controlId);
  }
  HRESULT ShowControl() override { return site_.Show(); }
  HRESULT HideControl() override { return site_.Hide(); }
  HRESULT DestroyControl() override { return site_.Destroy(); }
  HRESULT MoveControl(LONG left, LONG top, LONG width, LONG height) override {
    return site_.Move(left, top, width, height);
  }

 private:
  ~PageControl() = default;

  std::atomic<ULONG> refs_{1};
  PageSite site_;
};

// ClassEntry::create of a page class.
template <class PageInterface, class Content>
IUnknown* CreatePage() {
  return static_cast<PageInterface*>(new PageControl<PageInterface, Content>());
}

}  // namespace bkvp::pages
