#include "app/ui/wizard/bk_finish_page.h"

namespace bkvp::ui {

CBkFinishPage::CBkFinishPage(QWidget* parent) : QWizardPage(parent) {
  setObjectName("CBkFinishPage");
  setTitle("Eneter data to identify backup");
}

int CBkFinishPage::nextId() const { return -1; }

}  // namespace bkvp::ui
