#include "app/ui/wizard/bk_scheduler_page.h"

#include "app/ui/commands.h"

namespace bkvp::ui {

CBkSchedulerPage::CBkSchedulerPage(QWidget* parent) : QWizardPage(parent) {
  setObjectName("CBkSchedulerPage");
  setTitle("Schedule regular automatic backups");
}

int CBkSchedulerPage::nextId() const { return kPageBackupFinish; }

}  // namespace bkvp::ui
