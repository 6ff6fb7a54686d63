// Backup page 3: run now, on a schedule, or both.
#pragma once

#include <QWizardPage>

namespace bkvp::ui {

class CBkSchedulerPage : public QWizardPage {
  Q_OBJECT
 public:
  explicit CBkSchedulerPage(QWidget* parent = nullptr);
  int nextId() const override;
};

}  // namespace bkvp::ui
