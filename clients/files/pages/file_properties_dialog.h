// Dialog 120, "Backup File Properties": the date rule of one file of the
// backup list, "Backup Allways" or "Backup If Modified" with its choices. It
// works on the entry in place like the folder dialog: OK stores only a
// change, Cancel after a change asks whether to keep it.
#pragma once

#include <QDialog>

#include "clients/files/backup_entry.h"

class QRadioButton;

namespace bkvp::files::pages {

class RuleChoices;

class FilePropertiesDialog : public QDialog {
  Q_OBJECT

 public:
  FilePropertiesDialog(FileEntry& entry, QWidget* parent);

  void accept() override;
  void reject() override;

 private:
  FileEntry& entry_;
  bool changed_ = false;
  QRadioButton* always_;
  QRadioButton* ifModified_;
  RuleChoices* choices_;
};

}  // namespace bkvp::files::pages
