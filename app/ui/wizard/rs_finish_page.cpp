#include "app/ui/wizard/rs_finish_page.h"

namespace bkvp::ui {

CRsFinishPage::CRsFinishPage(QWidget* parent) : QWizardPage(parent) {
  setObjectName("CRsFinishPage");
  setTitle("Congratulation, wizard completed successfully");
}

int CRsFinishPage::nextId() const { return -1; }

}  // namespace bkvp::ui
