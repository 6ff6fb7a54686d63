// The two choices of a backup page whose program must not run while its data
// is saved: close the program without asking, and start it again after the
// backup. Starting again only follows a close, so the second box is usable
// only while the first is checked, and it is stored as on only together
// with the first.
#pragma once

#include <QWidget>
#include <string>
#include <string_view>

#include "clients/common/client_options.h"

class QCheckBox;

namespace bkvp::pages {

struct CloseRestartValues {
  std::string closeName;    // "AutoClose", "CloseIfRun"
  std::string restartName;  // "AutoRestart", "RestartAfterBackup"
  // How a stored value reads as on, the way the client's service reads it.
  clients::SwitchRule rule = clients::SwitchRule::NonZero;
  // Whether checking or clearing the close box also clears the restart box;
  // otherwise the restart box keeps its mark while it is disabled.
  bool closeClearsRestart = true;
};

class CloseRestartChoices : public QWidget {
  Q_OBJECT

 public:
  CloseRestartChoices(const QString& closeText, const QString& restartText,
                      CloseRestartValues values, QWidget* parent);

  // Writes both values as 0 or 1 under the key; false when a write failed.
  bool Store(std::string_view fullKeyPath) const;
  // Sets the boxes from the key's values. With close off the restart box is
  // disabled, and cleared when closeClearsRestart.
  void Load(std::string_view fullKeyPath);

  QCheckBox* closeBox() const { return close_; }
  QCheckBox* restartBox() const { return restart_; }

 private:
  CloseRestartValues values_;
  QCheckBox* close_;
  QCheckBox* restart_;
};

}  // namespace bkvp::pages
