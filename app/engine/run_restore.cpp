#include "app/engine/run_restore.h"

#include <chrono>

#include "app/engine/chosen_files_reader.h"
#include "app/engine/error_state.h"
#include "app/engine/progress_indicator.h"
#include "app/engine/run_log.h"
#include "contract/errors.h"
#include "platform/text.h"
#include "platform/time.h"

namespace bkvp::engine {

RunOutcome RunRestore(ArchiveEntry& archive, ClientList& clients, ProgressDisplay* display,
                      const CancelRequest* cancel, const ChosenFiles* chosen, bool toSavedPlaces) {
  if (!archive.reader) return CouldNotStart("the archive is not open");
  RunOutcome outcome;
  const auto started = std::chrono::steady_clock::now();
  const std::vector<ClientEntry*> selected = clients.Selected();
  RunLog log;
  log.Create();
  log.Write(kLogFirstLine);
  log.Write("Restoring\n");
  log.Write("Date: " + platform::FormatLongDateTime(platform::LocalTime(archive.time)) + "\n");
  log.Write("Source: " + platform::EscapeControls(archive.path) + "\n");
  log.Write("Label: " + platform::EscapeControls(archive.label) + "\n");
  log.NoteEarlierLog();

  ComPtr<ProgressIndicator> indicator = ComPtr<ProgressIndicator>::Attach(new ProgressIndicator);
  indicator->Init(display, &log, static_cast<LONG>(selected.size()), cancel,
                  ProgressIndicator::Direction::kRestore);
  if (toSavedPlaces) indicator->AgreeToSavedPlaces();
  ComPtr<IProgress> progress = indicator.As<IProgress>();
  if (!progress) return CouldNotStart("the progress object is missing");
  archive.reader->SetProgress(progress.get());

  auto fail = [&] {
    if (!outcome.errorStateSet) SetErrorState(true);
    outcome.errorStateSet = true;
  };
  bool stopped = false;
  try {
    for (ClientEntry* client : selected) {
      log.Write(kLogSeparator);
      ++outcome.clientsRun;
      ComPtr<IRestorer> reader = archive.reader;
      if (chosen && platform::EqualsIgnoreCase(client->clsid, chosen->clsid))
        reader = ComPtr<IRestorer>::Attach(
            new ChosenFilesReader(archive.reader, chosen->clsid, chosen->patterns));
      if (Failed(client->service->Restore(reader.get(), progress.get()))) {
        ++outcome.clientsFailed;
        fail();
      }
    }
  } catch (const ComError& e) {
    stopped = true;
    const EarlyEnd end = EndedEarly(e.Error(), cancel, "restore", "what was restored so far stays",
                                    indicator->lastQuestion());
    outcome.result = end.result;
    outcome.problem = end.problem;
    log.Write(end.logLine);
    if (end.isFailure) fail();
  } catch (...) {
    // Anything else thrown across the interfaces ends the run; what was
    // restored so far stays.
    stopped = true;
    outcome.result = RunResult::kStopped;
    outcome.problem = "a client ended the restore with an unexpected error";
    fail();
  }
  // The reader outlives this run's progress object: it must not keep it.
  archive.reader->SetProgress(nullptr);
  outcome.objectsDone = indicator->objectsDone();
  outcome.objectsFailed = indicator->objectsFailed();
  outcome.bytesDone = indicator->bytesDone();
  if (!stopped) {
    // A file that could not be restored is a failure of the run even when
    // its client carried on.
    if (outcome.objectsFailed && !outcome.errorStateSet) fail();
    outcome.result = outcome.clientsFailed || outcome.objectsFailed ? RunResult::kFailures
                                                                    : RunResult::kSucceeded;
  }
  log.Close();
  progress->Clean();
  outcome.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return outcome;
}

}  // namespace bkvp::engine
