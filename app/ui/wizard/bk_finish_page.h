// Backup page 4, the last: the archive's user, computer and label, what will
// happen, and the run.
#pragma once

#include <QWizardPage>

class QLineEdit;

namespace bkvp::ui {

class RunProgress;
class SummaryView;

class CBkFinishPage : public QWizardPage {
  Q_OBJECT
 public:
  explicit CBkFinishPage(QWidget* parent = nullptr);
  int nextId() const override;
  void initializePage() override;
  // Finish: keeps the choices as settings and, with "Run immediately",
  // backs up now.
  bool validatePage() override;

 private:
  QLineEdit* userName_;
  QLineEdit* computerName_;
  QLineEdit* label_;
  SummaryView* summary_;
  RunProgress* progress_;
};

}  // namespace bkvp::ui
