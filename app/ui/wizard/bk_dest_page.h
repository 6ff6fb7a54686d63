// Backup page 2: the drive or folder the archive goes to, with the free
// space there.
#pragma once

#include <QWizardPage>

class QLabel;

namespace bkvp::ui {

class PlaceChooser;

class CBkDestPage : public QWizardPage {
  Q_OBJECT
 public:
  explicit CBkDestPage(QWidget* parent = nullptr);
  int nextId() const override;
  void initializePage() override;
  bool validatePage() override;

 private:
  void ShowFreeSpace(const QString& place);

  PlaceChooser* chooser_;
  QLabel* freeSpace_;
  bool preselected_ = false;
};

}  // namespace bkvp::ui
