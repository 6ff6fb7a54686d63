// Restore page 6: the archive's kinds of data to bring back, with each client's restore page.
#pragma once

#include <QWizardPage>

namespace bkvp::ui {

class CRsServicesPage : public QWizardPage {
  Q_OBJECT
 public:
  explicit CRsServicesPage(QWidget* parent = nullptr);
  int nextId() const override;
};

}  // namespace bkvp::ui
