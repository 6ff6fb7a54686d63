#include "app/engine/run_backup.h"

#include "app/engine/archive_naming.h"
#include "app/engine/error_state.h"
#include "app/engine/progress_indicator.h"
#include "app/engine/run_log.h"
#include "contract/component.h"
#include "contract/errors.h"
#include "contract/identifiers.h"
#include "platform/time.h"
#include "platform/ui.h"

namespace bkvp::engine {
namespace {

HRESULT CreateBackuper(ComPtr<IBackuper>& backuper) {
  return CreateInstance(CLSID_Backuper, backuper);
}

void WriteBackupHeader(RunLog& log, const BackupJob& job, const std::string& archivePath) {
  log.Write(kLogFirstLine);
  log.Write("Date: " + platform::FormatLongDateTime(platform::TmFromDate(job.time)) + "\n");
  log.Write("Label: " + job.label + "\n");
  log.Write("Destination:   ");
  log.Write(archivePath + "\n");
  log.Write("Schedule:   " + job.scheduleText + "\n");
}

HRESULT RefuseToStart(BackupRunReport& report, HRESULT status, const std::string& why) {
  report.problem = why;
  platform::ui::MessageBox(kComponentsDamagedText, kProgramCaption,
                           platform::ui::MB_OK | platform::ui::MB_ICONSTOP);
  return status;
}

void HandOverOptions(IBackuper* backuper, const std::vector<ClientEntry*>& selected) {
  for (ClientEntry* client : selected) {
    Variant options;
    client->service->GetOptions(&options);
    Bstr clsid(client->clsid);
    Bstr name(client->name);
    backuper->SetClientOptions(clsid.get(), name.get(), options.get());
  }
}

}  // namespace

std::string WithTrailingSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

HRESULT RunBackup(const BackupJob& job, ClientList& clients, const std::string& destination,
                  ProgressDisplay* display, BackupRunReport* reportOut,
                  const BackuperFactory& createBackuper) {
  BackupRunReport localReport;
  BackupRunReport& report = reportOut ? *reportOut : localReport;
  report = {};

  const std::vector<ClientEntry*> selected = clients.Selected();
  const LONG count = static_cast<LONG>(selected.size());
  report.archivePath = destination + ArchiveNameForDate(job.time);

  RunLog log;
  log.Create();
  WriteBackupHeader(log, job, report.archivePath);

  ComPtr<ProgressIndicator> indicator = ComPtr<ProgressIndicator>::Attach(new ProgressIndicator);
  indicator->Init(display, &log, count);
  ComPtr<IProgress> progress = indicator.As<IProgress>();
  if (!progress) return RefuseToStart(report, E_NOINTERFACE, "the progress object is missing");

  ComPtr<IBackuper> backuper;
  const HRESULT created = createBackuper ? createBackuper(backuper) : CreateBackuper(backuper);
  if (Failed(created) || !backuper)
    return RefuseToStart(report, Failed(created) ? created : E_FAIL,
                         "the archive writer cannot be created: " + LastComponentError());

  backuper->SetProgress(progress.get());
  backuper->SetVersionInfo(job.versionMajor, job.versionMinor);
  {
    Bstr path(report.archivePath), user(job.userName), machine(job.machineName), label(job.label);
    backuper->SetArchiveInfo(path.get(), user.get(), machine.get(), label.get(), job.time, count);
  }
  auto fail = [&] {
    if (!report.errorStateSet) SetErrorState(true);
    report.errorStateSet = true;
  };
  // The options hand-over is inside the guarded part too: an error exception
  // there must discard the archive as well rather than leave the run with the
  // writer unfinished.
  try {
    HandOverOptions(backuper.get(), selected);
    // A writer that could not create its files would let every client fail
    // object by object; the run stops at once instead, with a log line.
    if (Failed(backuper->StartBackup())) {
      log.Write("The archive " + report.archivePath + " cannot be created.\n");
      throw ComError(E_FAIL);
    }
    for (ClientEntry* client : selected) {
      log.Write(kLogSeparator);
      ++report.clientsRun;
      if (Failed(client->service->Backup(backuper.get(), progress.get()))) {
        ++report.clientsFailed;
        fail();
      }
    }
  } catch (const ComError& e) {
    report.stopped = true;
    if (Failed(e.Error())) fail();
  } catch (...) {
    // Anything else thrown across the interfaces ends the run as a failure;
    // the half-written archive is discarded.
    report.stopped = true;
    fail();
  }
  try {
    backuper->FinishBackup(report.stopped ? 1 : 0);
  } catch (...) {
    fail();
  }

  log.Close();
  progress->Clean();
  return S_OK;
}

}  // namespace bkvp::engine
