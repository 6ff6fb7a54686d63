// Restore page 7, the last: what will be restored, and the restore run.
#pragma once

#include <QWizardPage>

namespace bkvp::ui {

class RunProgress;
class SummaryView;

class CRsFinishPage : public QWizardPage {
  Q_OBJECT
 public:
  explicit CRsFinishPage(QWidget* parent = nullptr);
  int nextId() const override;
  void initializePage() override;
  // Finish: restores the checked clients from the chosen archive.
  bool validatePage() override;

 private:
  SummaryView* summary_;
  RunProgress* progress_;
};

}  // namespace bkvp::ui
