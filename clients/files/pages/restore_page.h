// RsVpFilesFolders, the files client's restore page: files go back to their
// original locations, or into one folder chosen in the tree (each below it at
// its original path, or all side by side), replacing existing files or not. Every wizard starts at
// "Original location" without overwriting; the choice is stored in the client key's "restorer"
// subkey, where the service reads it when the restore runs.
#pragma once

#include "clients/common/pages/page_content.h"

class QCheckBox;
class QRadioButton;

namespace bkvp::files::pages {

class FolderTree;

class RestorePage : public bkvp::pages::PageContent {
  Q_OBJECT

 public:
  explicit RestorePage(QWidget* parent);

  bool StoreSettings() override;
  // The page does not show the stored choice: nothing to load.
  void LoadSettings() override {}
  // "Disk drive or folder" needs a chosen folder: without one the files would
  // silently go back to their original places instead.
  bool IsValid() override;

 private:
  QRadioButton* original_;
  QRadioButton* chosenFolder_;
  FolderTree* tree_;
  QCheckBox* keepFolders_;
  QCheckBox* overwrite_;
};

}  // namespace bkvp::files::pages
