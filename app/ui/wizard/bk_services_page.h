// Backup page 1: the kinds of data to save, one client each, with the
// client's own settings page.
#pragma once

#include <QWizardPage>

namespace bkvp::ui {

class ClientPagesPanel;

class CBkServicesPage : public QWizardPage {
  Q_OBJECT
 public:
  explicit CBkServicesPage(QWidget* parent = nullptr);
  int nextId() const override;
  void initializePage() override;
  bool validatePage() override;

 private:
  ClientPagesPanel* panel_;
  bool filled_ = false;
};

}  // namespace bkvp::ui
