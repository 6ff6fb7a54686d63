#include "clients/files/pages/file_properties_dialog.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "clients/files/pages/page_controls.h"
#include "clients/files/pages/path_label.h"
#include "clients/files/pages/rule_choices.h"
#include "clients/files/pages/user_questions.h"

namespace bkvp::files::pages {

FilePropertiesDialog::FilePropertiesDialog(FileEntry& entry, QWidget* parent)
    : QDialog(parent),
      entry_(entry),
      always_(new QRadioButton("Backup Allways", this)),
      ifModified_(new QRadioButton("Backup If Modified", this)),
      choices_(new RuleChoices(this)) {
  setWindowTitle("Backup File Properties");
  auto* group = new QButtonGroup(this);
  group->addButton(always_);
  group->addButton(ifModified_);

  QLineEdit* path = PathLabel(QString::fromStdString(entry.path), this);
  auto* name = new QLabel("File Name", this);
  name->setBuddy(path);
  auto* indented = new QHBoxLayout;
  indented->addSpacing(20);
  indented->addWidget(choices_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(name);
  layout->addWidget(path);
  layout->addWidget(always_);
  layout->addWidget(ifModified_);
  layout->addLayout(indented);
  layout->addStretch();
  layout->addWidget(OkCancelButtons(this));
  setMinimumWidth(360);

  const bool modified = entry.rule.kind != kRuleAlways;
  (modified ? ifModified_ : always_)->setChecked(true);
  choices_->ShowRule(entry.rule);
  choices_->setEnabled(modified);

  connect(ifModified_, &QRadioButton::toggled, this, [this](bool on) {
    choices_->setEnabled(on);
    if (on) choices_->ChooseTodayIfNone();
    changed_ = true;
  });
  connect(choices_, &RuleChoices::changed, this, [this] { changed_ = true; });
}

void FilePropertiesDialog::accept() {
  if (!changed_) {
    done(Rejected);
    return;
  }
  if (always_->isChecked())
    entry_.rule.kind = kRuleAlways;
  else
    entry_.rule = choices_->ChosenRule(entry_.rule);
  QDialog::accept();
}

void FilePropertiesDialog::reject() { CancelAskingToSave(*this, changed_); }

}  // namespace bkvp::files::pages
