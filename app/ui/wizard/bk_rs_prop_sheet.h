// CBkRsPropSheet: the one wizard that carries both branches, backup (pages
// 1 to 4) and restore (pages 5 to 7), entered from the start page (0). It
// keeps what the pages choose: the clients, the backup choices and the
// archive to restore.
#pragma once

#include <QWizard>
#include <optional>

#include "app/engine/archive_list.h"
#include "app/engine/backup_choices.h"
#include "app/engine/cancel_request.h"
#include "app/engine/client_list.h"
#include "app/engine/program_settings.h"
#include "app/engine/run_restore.h"
#include "app/engine/settings_snapshot.h"

namespace bkvp::ui {

class CBkRsPropSheet : public QWizard {
  Q_OBJECT
 public:
  // Discovers the installed clients; `settings` must outlive the sheet.
  explicit CBkRsPropSheet(const engine::ProgramSettings& settings, QWidget* parent = nullptr);
  ~CBkRsPropSheet() override;

  // The sheet of a page, from the page's wizard().
  static CBkRsPropSheet* Of(QWizard* wizard) { return static_cast<CBkRsPropSheet*>(wizard); }

  const engine::ProgramSettings& settings() const { return settings_; }
  engine::ClientList& clients() { return clients_; }
  // Filled by the destination and schedule pages; the clients at Finish.
  engine::BackupChoices& backupChoices() { return backupChoices_; }
  // Chosen on the source page, with the file that holds it here (a
  // downloaded copy for an archive on another machine).
  std::optional<engine::ArchiveEntry>& selectedArchive() { return selectedArchive_; }
  std::string& selectedArchiveFile() { return selectedArchiveFile_; }
  // The files chosen with "Choose files..." for this run; none: all.
  std::optional<engine::ChosenFiles>& chosenFiles() { return chosenFiles_; }

  // A finish page's run. While it works, Back, Finish and About are off, and
  // Cancel (or closing the window) asks the run to stop instead of closing.
  class RunScope {
   public:
    explicit RunScope(CBkRsPropSheet& sheet);
    ~RunScope();
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;
    const engine::CancelRequest* cancel() const { return &sheet_.cancel_; }

   private:
    CBkRsPropSheet& sheet_;
  };
  bool running() const { return running_; }

  // What the client pages store while the user goes through the wizard
  // (a client answers from its stored choices) is put back when the user
  // leaves such a page, and when the wizard closes without Finish; Finish
  // stores the checked pages of its branch (`clientsPage`) for good.
  bool StoreClientPages(int clientsPage);
  void PutBackClientSettings();
  void Commit() { committed_ = true; }

  // After a finish page's run: the page shows how it ended and Finish,
  // now "Close", closes the wizard.
  void ShowRunEnded();
  bool runEnded() const { return runEnded_; }

 public slots:
  void reject() override;

 private:
  void ShowAbout();
  void EnableButtons(bool enabled);

  const engine::ProgramSettings& settings_;
  engine::ClientList clients_;
  engine::BackupChoices backupChoices_;
  std::optional<engine::ArchiveEntry> selectedArchive_;
  std::string selectedArchiveFile_;
  std::optional<engine::ChosenFiles> chosenFiles_;
  engine::CancelRequest cancel_;
  engine::SettingsSnapshot clientSettings_;  // as the wizard found them
  bool running_ = false;
  bool committed_ = false;
  bool runEnded_ = false;
};

}  // namespace bkvp::ui
