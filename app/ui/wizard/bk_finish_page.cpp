#include "app/ui/wizard/bk_finish_page.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>
#include <ctime>

#include "app/engine/autostart.h"
#include "app/engine/backup_choices.h"
#include "app/engine/backup_job.h"
#include "app/engine/backup_now.h"
#include "app/engine/program_settings.h"
#include "app/engine/wizard_summary.h"
#include "app/ui/commands.h"
#include "app/ui/wizard/bk_rs_prop_sheet.h"
#include "app/ui/wizard/page_messages.h"
#include "app/ui/wizard/run_progress.h"
#include "app/ui/wizard/summary_view.h"
#include "platform/sysinfo.h"

namespace bkvp::ui {
namespace {

constexpr const char* kTitle = "Eneter data to identify backup";

QLineEdit* Field(const std::string& text, int maxLength, const char* name) {
  auto* field = new QLineEdit;
  field->setObjectName(name);
  field->setMaxLength(maxLength);
  field->setText(QString::fromStdString(text));
  return field;
}

}  // namespace

CBkFinishPage::CBkFinishPage(QWidget* parent)
    : QWizardPage(parent),
      userName_(Field(platform::UserName(), 50, "userName")),
      computerName_(Field(platform::ComputerName(), 50, "computerName")),
      label_(Field(engine::DefaultLabel(std::time(nullptr)), 255, "label")),
      summary_(new SummaryView),
      progress_(new RunProgress) {
  setObjectName("CBkFinishPage");
  setTitle(kTitle);
  progress_->setObjectName("runProgress");
  auto* fields = new QFormLayout;
  fields->addRow("User name:", userName_);
  fields->addRow("Computer name:", computerName_);
  fields->addRow("Archive label:", label_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(summary_, 1);
  layout->addWidget(progress_);
}

int CBkFinishPage::nextId() const { return -1; }

void CBkFinishPage::initializePage() {
  CBkRsPropSheet* sheet = CBkRsPropSheet::Of(wizard());
  const engine::BackupChoices& choices = sheet->backupChoices();
  summary_->Show(engine::BackupSummary(choices, sheet->clients().SelectedNames()));
  progress_->setVisible(choices.runImmediately);
  progress_->Reset();
}

bool CBkFinishPage::validatePage() {
  CBkRsPropSheet* sheet = CBkRsPropSheet::Of(wizard());
  if (sheet->runEnded()) return true;
  if (sheet->running() || !sheet->StoreClientPages(kPageBackupClients)) return false;
  sheet->Commit();
  engine::BackupChoices& choices = sheet->backupChoices();
  choices.clsids.clear();
  for (const engine::ClientEntry* client : sheet->clients().Selected())
    choices.clsids.push_back(client->clsid);
  const std::time_t now = std::time(nullptr);
  const engine::SavedChoices saved =
      engine::SaveBackupChoices(choices, now, engine::ProgramBesideThisExecutable());
  if (!saved.stored.ok())
    ShowPageError("The settings were not all kept: " + saved.stored.message() + ".");
  if (!saved.autostart.ok())
    ShowPageWarning(
        "Scheduled backups run only while Backup Vopal runs, and it could not be set "
        "to start at login: " +
        saved.autostart.message() + ".");
  if (!choices.runImmediately) return true;

  const engine::BackupJob job =
      engine::ImmediateJob(now, userName_->text().toStdString(),
                           computerName_->text().toStdString(), label_->text().toStdString());
  setTitle(RunTitle(engine::RunKind::kBackup, nullptr));
  const engine::RunOutcome outcome = progress_->Drive(
      *sheet, {engine::RunKind::kBackup, "", ""},
      [&](engine::ProgressDisplay* display, const engine::CancelRequest* cancel) {
        return engine::BackupNow(job, sheet->clients(), choices.destination, display, cancel);
      });
  setTitle(outcome.result == engine::RunResult::kCouldNotStart
               ? kTitle
               : RunTitle(engine::RunKind::kBackup, &outcome));
  // A destination the backup failed at is not offered again next time.
  if (outcome.result == engine::RunResult::kCouldNotStart ||
      outcome.result == engine::RunResult::kStopped)
    if (const Status put =
            engine::WriteStorePath(engine::ProgramKey(), sheet->settings().storePath);
        !put.ok())
      ShowPageWarning("The earlier destination could not be put back: " + put.message() + ".");
  return false;
}

}  // namespace bkvp::ui
