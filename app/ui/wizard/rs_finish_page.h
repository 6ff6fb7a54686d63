// Restore page 7, the last: the restore run.
#pragma once

#include <QWizardPage>

namespace bkvp::ui {

class CRsFinishPage : public QWizardPage {
  Q_OBJECT
 public:
  explicit CRsFinishPage(QWidget* parent = nullptr);
  int nextId() const override;
};

}  // namespace bkvp::ui
