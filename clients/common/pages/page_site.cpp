#include "clients/common/pages/page_site.h"

#include <QApplication>
#include <new>

namespace bkvp::pages {

namespace {

constexpr BOOL kStoreSettings = 1;

template <class Call>
HRESULT Guarded(Call call) {
  try {
    return call();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace

PageSite::~PageSite() { delete content_.data(); }

HRESULT PageSite::Create(void* parent, LONG left, LONG top, LONG width, LONG height,
                         LONG controlId) {
  if (!parent) return E_POINTER;
  // Widgets need the program's application object; a process without one
  // (the command-line tool, say) gets no page.
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return E_UNEXPECTED;
  if (content_) return E_UNEXPECTED;
  return Guarded([&] {
    PageContent* content = make_(static_cast<QWidget*>(parent));
    content->setProperty("controlId", static_cast<int>(controlId));
    content->setGeometry(left, top, width, height);
    content->hide();
    content_ = content;
    return S_OK;
  });
}

HRESULT PageSite::Show() {
  if (!content_) return E_UNEXPECTED;
  content_->show();
  return S_OK;
}

HRESULT PageSite::Hide() {
  if (!content_) return E_UNEXPECTED;
  content_->hide();
  return S_OK;
}

HRESULT PageSite::Destroy() {
  if (!content_) return S_FALSE;
  delete content_.data();
  return S_OK;
}

HRESULT PageSite::Move(LONG left, LONG top, LONG width, LONG height) {
  if (!content_) return E_UNEXPECTED;
  if (width < 0 || height < 0) return E_INVALIDARG;
  content_->setGeometry(left, top, width, height);
  return S_OK;
}

HRESULT PageSite::PersistSettings(BOOL action) {
  if (!content_) return E_UNEXPECTED;
  return Guarded([&] {
    // A choice that did not reach the registry must not pass for stored:
    // the run would then work on an older list.
    if (action == kStoreSettings) return content_->StoreSettings() ? S_OK : E_FAIL;
    content_->LoadSettings();
    return S_OK;
  });
}

HRESULT PageSite::Validate(BOOL* valid) {
  if (!valid) return E_POINTER;
  if (!content_) return E_UNEXPECTED;
  return Guarded([&] {
    if (content_->IsValid())
      *valid = static_cast<BOOL>((static_cast<uint32_t>(*valid) & 0xFFFF0000u) | 0xFFFFu);
    return S_OK;
  });
}

}  // namespace bkvp::pages
