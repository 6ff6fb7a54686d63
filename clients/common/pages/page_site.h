// The window half of a page object: creates the page's widget inside the
// program's window, shows, hides and destroys it, and forwards the page calls
// to it. Every call is guarded, so no exception leaves the module.
#pragma once

#include <QPointer>

#include "clients/common/pages/page_content.h"
#include "contract/com_types.h"

namespace bkvp::pages {

class PageSite {
 public:
  using MakeContent = PageContent* (*)(QWidget* parent);

  explicit PageSite(MakeContent make) : make_(make) {}
  ~PageSite();
  PageSite(const PageSite&) = delete;
  PageSite& operator=(const PageSite&) = delete;

  HRESULT Create(void* parent, LONG left, LONG top, LONG width, LONG height, LONG controlId);
  HRESULT Show();
  HRESULT Hide();
  HRESULT Destroy();
  HRESULT Move(LONG left, LONG top, LONG width, LONG height);

  // E_UNEXPECTED while no widget exists (never created, destroyed, or taken
  // down with its parent window).
  HRESULT PersistSettings(BOOL action);
  // Writes the low 16 bits of the flag: 0xFFFF when valid; an invalid page
  // leaves the flag as the caller set it.
  HRESULT Validate(BOOL* valid);

 private:
  MakeContent make_;
  // The parent window may destroy the widget before the program releases
  // the page object; the pointer then turns null.
  QPointer<PageContent> content_;
};

}  // namespace bkvp::pages
