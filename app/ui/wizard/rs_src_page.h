// Restore page 5: the folder and the archive to restore from.
#pragma once

#include <QWizardPage>

namespace bkvp::ui {

class CRsSrcPage : public QWizardPage {
  Q_OBJECT
 public:
  explicit CRsSrcPage(QWidget* parent = nullptr);
  int nextId() const override;
};

}  // namespace bkvp::ui
