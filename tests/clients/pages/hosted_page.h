// A client's page as the program hosts it: created through its page object,
// its widget in a window of its own, loaded right after creation, and driven
// through the page interface's slots.
#pragma once

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <memory>
#include <string>
#include <vector>

#include "clients/common/pages/page_control.h"
#include "clients/common/registry_access.h"

namespace bkvp::pages::testing {

template <class Interface>
struct HostedPage {
  std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
  ComPtr<Interface> page;

  HRESULT Store() { return page->PersistSettings(1); }
  HRESULT Load() { return page->PersistSettings(0); }
  // The page's answer; the upper half of the flag must come back untouched.
  bool Validate() {
    BOOL flag = static_cast<BOOL>(0x5A5A0000u);
    EXPECT_EQ(page->Validate(&flag), S_OK);
    EXPECT_EQ(static_cast<uint32_t>(flag) >> 16, 0x5A5Au);
    return (flag & 0xFFFF) == 0xFFFF;
  }

  // The widget of type W showing `text`; null when there is none.
  template <class W>
  W* Find(const QString& text) const {
    for (W* widget : window->findChildren<W*>())
      if (widget->text() == text) return widget;
    return nullptr;
  }
  QCheckBox* Box(const QString& text) const { return Find<QCheckBox>(text); }
  bool Shows(const QString& text) const { return Find<QLabel>(text) != nullptr; }
  bool ShowsPicture(const QString& resource) const {
    return window->findChild<QLabel*>(resource) != nullptr;
  }
};

template <class Interface, class Content>
HostedPage<Interface> Host() {
  HostedPage<Interface> hosted;
  hosted.page = ComPtr<Interface>::Attach(
      static_cast<Interface*>(bkvp::pages::CreatePage<Interface, Content>()));
  const auto site = hosted.page.template As<IBkVpControlSite>();
  EXPECT_EQ(site->CreateControl(hosted.window.get(), 0, 0, 600, 440, 108), S_OK);
  EXPECT_EQ(site->ShowControl(), S_OK);
  hosted.window->show();
  EXPECT_EQ(hosted.Load(), S_OK);
  return hosted;
}

// The names of the key's values, in the order they were created.
inline std::vector<std::string> ValueNames(const std::string& fullKeyPath) {
  std::vector<std::string> names;
  for (const clients::RegistryValue& value : clients::ListValues(fullKeyPath))
    names.push_back(value.name);
  return names;
}

}  // namespace bkvp::pages::testing
