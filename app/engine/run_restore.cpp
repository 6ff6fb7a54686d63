#include "app/engine/run_restore.h"

#include "app/engine/error_state.h"
#include "app/engine/progress_indicator.h"
#include "app/engine/run_log.h"
#include "platform/time.h"

namespace bkvp::engine {

HRESULT RunRestore(ArchiveEntry& archive, ClientList& clients, ProgressDisplay* display,
                   RestoreRunReport* reportOut) {
  RestoreRunReport localReport;
  RestoreRunReport& report = reportOut ? *reportOut : localReport;
  report = {};
  if (!archive.reader) return E_POINTER;

  const std::vector<ClientEntry*> selected = clients.Selected();
  RunLog log;
  log.Create();
  log.Write(kLogFirstLine);
  log.Write("Restoring\n");
  log.Write("Date: " + platform::FormatLongDateTime(platform::TmFromDate(archive.time)) + "\n");
  log.Write("Source: " + archive.path + "\n");
  log.Write("Label: " + archive.label + "\n");

  ComPtr<ProgressIndicator> indicator = ComPtr<ProgressIndicator>::Attach(new ProgressIndicator);
  indicator->Init(display, &log, static_cast<LONG>(selected.size()));
  ComPtr<IProgress> progress = indicator.As<IProgress>();
  if (!progress) return E_NOINTERFACE;
  archive.reader->SetProgress(progress.get());

  auto fail = [&] {
    if (!report.errorStateSet) SetErrorState(true);
    report.errorStateSet = true;
  };
  try {
    for (ClientEntry* client : selected) {
      log.Write(kLogSeparator);
      ++report.clientsRun;
      if (Failed(client->service->Restore(archive.reader.get(), progress.get()))) {
        ++report.clientsFailed;
        fail();
      }
    }
  } catch (...) {
    // A cancelled disk prompt (or anything else thrown across the
    // interfaces) ends the run; what was restored so far stays.
    report.stopped = true;
    fail();
  }
  // The reader outlives this run's progress object: it must not keep it.
  archive.reader->SetProgress(nullptr);
  log.Close();
  progress->Clean();
  return S_OK;
}

}  // namespace bkvp::engine
