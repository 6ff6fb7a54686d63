#include "app/engine/run_restore.h"

#include "app/engine/chosen_files_reader.h"
#include "app/engine/component_objects.h"
#include "app/engine/error_state.h"
#include "app/engine/progress_indicator.h"
#include "app/engine/run_frame.h"
#include "app/engine/run_log.h"
#include "contract/errors.h"
#include "contract/object_walk.h"
#include "platform/text.h"
#include "platform/time.h"

namespace bkvp::engine {

Status CheckChosenFilesExist(ArchiveEntry& archive, const ChosenFiles& chosen) {
  if (!archive.isOpen()) return {Status::Code::kInvalid, "the archive is not open"};
  PatternTally tally(chosen.patterns);
  const SectionWalk walk =
      ForEachObject(ReaderOf(archive), chosen.clsid, [&](const SectionObject& object) {
        if (object.type == kObjectFile) tally.Note(object.name);
        return WalkStep::kNext;
      });
  // A section that cannot be read is for the restore to meet and report.
  if (Failed(walk.status)) return {};
  return tally.Unmatched();
}

RunOutcome RunRestore(ArchiveEntry& archive, ClientList& clients, ProgressDisplay* display,
                      const CancelRequest* cancel, const ChosenFiles* chosen, bool toSavedPlaces) {
  if (!archive.isOpen()) return CouldNotStart("the archive is not open");
  RunOutcome outcome;
  const std::vector<ClientEntry*> selected = clients.Selected();
  RunFrame frame(outcome, {"restore", "what was restored so far stays"}, display, cancel,
                 static_cast<int>(selected.size()), ProgressIndicator::Direction::kRestore);
  RunLog& log = frame.log();
  log.Write(kLogFirstLine);
  log.Write("Restoring\n");
  log.Write("Date: " + platform::FormatLongDateTime(platform::LocalTime(archive.time)) + "\n");
  log.Write("Source: " + platform::EscapeControls(archive.path) + "\n");
  log.Write("Label: " + platform::EscapeControls(archive.label) + "\n");
  log.NoteEarlierLog();
  if (toSavedPlaces) frame.indicator().AgreeToSavedPlaces();
  IProgress* progress = frame.progress();
  if (!progress) return CouldNotStart("the progress object is missing");
  IRestorer* archiveReader = ReaderOf(archive);
  archiveReader->SetProgress(progress);

  const bool carriedOut = frame.Run([&]() -> Status {
    for (ClientEntry* client : selected) {
      log.Write(kLogSeparator);
      ++outcome.clientsRun;
      ComPtr<IRestorer> reader = archive.reader->ptr;
      if (chosen && platform::EqualsIgnoreCase(client->clsid, chosen->clsid))
        reader = ComPtr<IRestorer>::Attach(
            new ChosenFilesReader(archive.reader->ptr, chosen->clsid, chosen->patterns));
      IBkVpService* service = ServiceOf(*client);
      if (!service || Failed(service->Restore(reader.get(), progress))) {
        ++outcome.clientsFailed;
        frame.Fail();
      }
    }
    return {};
  });
  // The reader outlives this run's progress object: it must not keep it.
  archiveReader->SetProgress(nullptr);
  if (carriedOut) frame.Completed();
  frame.Close();
  return outcome;
}

}  // namespace bkvp::engine
