#include "app/ui/wizard/rs_src_page.h"

#include "app/ui/commands.h"

namespace bkvp::ui {

CRsSrcPage::CRsSrcPage(QWidget* parent) : QWizardPage(parent) {
  setObjectName("CRsSrcPage");
  setTitle("Select location of an existing archive");
}

int CRsSrcPage::nextId() const { return kPageRestoreClients; }

}  // namespace bkvp::ui
