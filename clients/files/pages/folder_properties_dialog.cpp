#include "clients/files/pages/folder_properties_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "clients/files/pages/mask_list.h"
#include "clients/files/pages/page_controls.h"
#include "clients/files/pages/path_label.h"
#include "clients/files/pages/rule_choices.h"
#include "clients/files/pages/user_questions.h"

namespace bkvp::files::pages {

FolderPropertiesDialog::FolderPropertiesDialog(FolderEntry& entry, QWidget* parent)
    : QDialog(parent),
      entry_(entry),
      recursive_(new QCheckBox("Process recursively", this)),
      include_(new MaskList(MaskSide::kInclude, types_, this)),
      exclude_(new MaskList(MaskSide::kExclude, types_, this)) {
  setWindowTitle("Backup Folder Properties");

  auto* sides = new QHBoxLayout;
  sides->addWidget(SideBox("Include", include_, includeRule_));
  sides->addWidget(SideBox("Exclude", exclude_, excludeRule_));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PathLabel(QString::fromStdString(entry.path), this));
  layout->addWidget(recursive_);
  layout->addLayout(sides, 1);
  layout->addWidget(OkCancelButtons(this));

  recursive_->setChecked(entry.recursive);
  include_->ShowMasks(entry.includeMasks);
  exclude_->ShowMasks(entry.excludeMasks);
  ShowRule(includeRule_, entry.includeRule);
  ShowRule(excludeRule_, entry.excludeRule);

  // Only what the user does from here on counts as a change.
  connect(recursive_, &QCheckBox::toggled, this, &FolderPropertiesDialog::MarkChanged);
  for (MaskList* masks : {include_, exclude_})
    connect(masks, &MaskList::changed, this, &FolderPropertiesDialog::MarkChanged);
  for (const RuleGroup* group : {&includeRule_, &excludeRule_}) {
    connect(group->byDate, &QCheckBox::toggled, this, &FolderPropertiesDialog::MarkChanged);
    connect(group->choices, &RuleChoices::changed, this, &FolderPropertiesDialog::MarkChanged);
  }
}

QWidget* FolderPropertiesDialog::SideBox(const QString& title, MaskList* masks, RuleGroup& group) {
  auto* box = new QGroupBox(title, this);
  group.byDate = new QCheckBox("By Modification Date", box);
  group.choices = new RuleChoices(box);
  RuleChoices* choices = group.choices;
  connect(group.byDate, &QCheckBox::toggled, choices, [choices](bool on) {
    choices->setEnabled(on);
    if (on) choices->ChooseTodayIfNone();
  });

  auto* indented = new QHBoxLayout;
  indented->addSpacing(20);
  indented->addWidget(group.choices);
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(masks, 1);
  layout->addWidget(group.byDate);
  layout->addLayout(indented);
  return box;
}

void FolderPropertiesDialog::ShowRule(const RuleGroup& group, const DateRule& rule) {
  const bool on = rule.kind != kRuleAlways;
  group.byDate->setChecked(on);
  group.choices->ShowRule(rule);
  group.choices->setEnabled(on);
}

DateRule FolderPropertiesDialog::ChosenRule(const RuleGroup& group, const DateRule& previous) {
  if (group.byDate->isChecked()) return group.choices->ChosenRule(previous);
  DateRule rule = previous;  // the count and date stay as they were
  rule.kind = kRuleAlways;
  return rule;
}

void FolderPropertiesDialog::accept() {
  if (!changed_) {
    done(Rejected);
    return;
  }
  entry_.recursive = recursive_->isChecked();
  entry_.includeMasks = include_->JoinedMasks();
  entry_.excludeMasks = exclude_->JoinedMasks();
  entry_.includeRule = ChosenRule(includeRule_, entry_.includeRule);
  entry_.excludeRule = ChosenRule(excludeRule_, entry_.excludeRule);
  QDialog::accept();
}

void FolderPropertiesDialog::reject() { CancelAskingToSave(*this, changed_); }

}  // namespace bkvp::files::pages
