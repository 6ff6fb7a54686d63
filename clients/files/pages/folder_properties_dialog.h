// Dialog 118, "Backup Folder Properties": the settings of one folder of the
// backup list (recursion, include and exclude masks, and a modification-date
// rule for each side). It works on the entry in place: OK stores the choices
// into it only when something was changed and otherwise ends as cancelled;
// Cancel after a change asks whether to keep it.
#pragma once

#include <QDialog>

#include "clients/files/backup_entry.h"
#include "clients/files/pages/mask_types.h"

class QCheckBox;

namespace bkvp::files::pages {

class MaskList;
class RuleChoices;

class FolderPropertiesDialog : public QDialog {
  Q_OBJECT

 public:
  FolderPropertiesDialog(FolderEntry& entry, QWidget* parent);

  void accept() override;
  void reject() override;

 private:
  // One side's "By Modification Date" box and its rule choices.
  struct RuleGroup {
    QCheckBox* byDate = nullptr;
    RuleChoices* choices = nullptr;
  };
  QWidget* SideBox(const QString& title, MaskList* masks, RuleGroup& group);
  void ShowRule(const RuleGroup& group, const DateRule& rule);
  static DateRule ChosenRule(const RuleGroup& group, const DateRule& previous);
  void MarkChanged() { changed_ = true; }

  FolderEntry& entry_;
  bool changed_ = false;
  MaskTypes types_;  // lives as long as the dialog: its icons are kept per extension
  QCheckBox* recursive_;
  MaskList* include_;
  MaskList* exclude_;
  RuleGroup includeRule_;
  RuleGroup excludeRule_;
};

}  // namespace bkvp::files::pages
