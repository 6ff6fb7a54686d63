#include "app/ui/wizard/bk_dest_page.h"

#include "app/ui/commands.h"

namespace bkvp::ui {

CBkDestPage::CBkDestPage(QWidget* parent) : QWizardPage(parent) {
  setObjectName("CBkDestPage");
  setTitle("Select destination for backup");
}

int CBkDestPage::nextId() const { return kPageBackupSchedule; }

}  // namespace bkvp::ui
