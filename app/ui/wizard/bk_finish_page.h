// Backup page 4, the last: the archive's user, computer and label, and the run.
#pragma once

#include <QWizardPage>

namespace bkvp::ui {

class CBkFinishPage : public QWizardPage {
  Q_OBJECT
 public:
  explicit CBkFinishPage(QWidget* parent = nullptr);
  int nextId() const override;
};

}  // namespace bkvp::ui
