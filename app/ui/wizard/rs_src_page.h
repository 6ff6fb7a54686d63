// Restore page 5: the drive or folder to look in and the archive found
// there to restore from; the archive named on the program's command line
// comes up selected.
#pragma once

#include <QWizardPage>
#include <vector>

#include "app/engine/archive_list.h"

class QLabel;
class QTreeWidget;

namespace bkvp::ui {

class PlaceChooser;

class CRsSrcPage : public QWizardPage {
  Q_OBJECT
 public:
  explicit CRsSrcPage(QWidget* parent = nullptr);
  // Forgets the command-line file: the next wizard starts without it.
  ~CRsSrcPage() override;
  int nextId() const override;
  void initializePage() override;
  bool validatePage() override;

 private:
  void OpenCommandLineFile(const std::string& path);
  // Replaces the archive list with the archives of the place.
  void Search(const QString& place);
  void ShowArchives();
  void SelectArchive(const std::string& path);

  PlaceChooser* chooser_;
  QTreeWidget* archives_;
  QLabel* noArchives_;
  std::vector<engine::ArchiveEntry> entries_;  // in the list's order
  bool opened_ = false;
};

}  // namespace bkvp::ui
