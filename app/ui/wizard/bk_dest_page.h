// Backup page 2: the drive or folder the archive goes to.
#pragma once

#include <QWizardPage>

namespace bkvp::ui {

class CBkDestPage : public QWizardPage {
  Q_OBJECT
 public:
  explicit CBkDestPage(QWidget* parent = nullptr);
  int nextId() const override;
};

}  // namespace bkvp::ui
