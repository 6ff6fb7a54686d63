// Page 0: the choice between making a new backup (page 1) and restoring
// data (page 5).
#pragma once

#include <QWizardPage>

namespace bkvp::ui {

class CStartPage : public QWizardPage {
  Q_OBJECT
 public:
  explicit CStartPage(QWidget* parent = nullptr);
  int nextId() const override;
  bool isComplete() const override;

 private:
  void Choose(int page);
  int chosen_ = -1;
};

}  // namespace bkvp::ui
