#include "app/ui/wizard/bk_services_page.h"

#include "app/ui/commands.h"

namespace bkvp::ui {

CBkServicesPage::CBkServicesPage(QWidget* parent) : QWizardPage(parent) {
  setObjectName("CBkServicesPage");
  setTitle("Check off data you want to back up .");
}

int CBkServicesPage::nextId() const { return kPageBackupDestination; }

}  // namespace bkvp::ui
