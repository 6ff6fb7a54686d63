#include "app/ui/wizard/rs_services_page.h"

#include "app/ui/commands.h"

namespace bkvp::ui {

CRsServicesPage::CRsServicesPage(QWidget* parent) : QWizardPage(parent) {
  setObjectName("CRsServicesPage");
  setTitle("Check off available data to restore");
}

int CRsServicesPage::nextId() const { return kPageRestoreFinish; }

}  // namespace bkvp::ui
