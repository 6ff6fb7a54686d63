// The widget of a client's backup or restore page. The page object that the
// program creates by class identifier owns one and forwards the program's
// page calls to it.
#pragma once

#include <QWidget>

namespace bkvp::pages {

class PageContent : public QWidget {
  Q_OBJECT

 public:
  using QWidget::QWidget;

  // PersistSettings(1): writes the page's choices under the client's key;
  // false when they could not be written.
  virtual bool StoreSettings() = 0;
  // PersistSettings with any other value: shows the stored choices.
  virtual void LoadSettings() = 0;
  // Whether the choices let the run go on; an invalid page tells the user why.
  virtual bool IsValid() { return true; }
};

}  // namespace bkvp::pages
