#include "app/engine/run_backup.h"

#include "app/engine/archive_naming.h"
#include "app/engine/component_objects.h"
#include "app/engine/error_state.h"
#include "app/engine/program_settings.h"
#include "app/engine/program_texts.h"
#include "app/engine/progress_indicator.h"
#include "app/engine/run_frame.h"
#include "app/engine/run_log.h"
#include "contract/component.h"
#include "contract/errors.h"
#include "contract/identifiers.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/time.h"
#include "platform/ui.h"

namespace bkvp::engine {
namespace {

HRESULT CreateBackuper(ComPtr<IBackuper>& backuper) {
  return CreateInstance(CLSID_Backuper, backuper);
}

void WriteBackupHeader(RunLog& log, const BackupJob& job, const std::string& archivePath) {
  log.Write(kLogFirstLine);
  log.Write("Date: " + platform::FormatLongDateTime(platform::LocalTime(job.time)) + "\n");
  log.Write("Label: " + platform::EscapeControls(job.label) + "\n");
  log.Write("Destination:   ");
  log.Write(platform::EscapeControls(archivePath) + "\n");
  log.Write("Schedule:   " + job.scheduleText + "\n");
  log.NoteEarlierLog();
}

void SayComponentsDamaged() {
  platform::ui::MessageBox(kComponentsDamagedText, kProgramCaption,
                           platform::ui::MB_OK | platform::ui::MB_ICONSTOP);
}

void HandOverOptions(IBackuper* backuper, const std::vector<ClientEntry*>& selected) {
  for (ClientEntry* client : selected) {
    Variant options;
    if (IBkVpService* service = ServiceOf(*client)) service->GetOptions(&options);
    Bstr clsid(client->clsid);
    Bstr name(client->name);
    backuper->SetClientOptions(clsid.get(), name.get(), options.get());
  }
}

// Why the writer refused to start: its last error, else the plain fact.
Status StartProblem(IBackuper* backuper, const std::string& archivePath) {
  INT code = 0;
  Bstr text;
  std::string why = "the archive " + archivePath + " cannot be created";
  if (Succeeded(backuper->GetLastError(&code, text.out())) && !text.str().empty())
    why += ": " + text.str();
  return {Status::Code::kCannotWrite, why};
}

// The archive's name, the job's identity and moment, and the number of
// client sections, as the writer takes them.
void SetArchiveInfo(IBackuper* writer, const BackupJob& job, const std::string& archivePath,
                    int clients) {
  Bstr path(archivePath), user(job.userName), machine(job.machineName), label(job.label);
  const DATE time = platform::DateFromTimePoint(platform::Clock::from_time_t(job.time));
  writer->SetArchiveInfo(path.get(), user.get(), machine.get(), label.get(), time, clients);
}

// A run racing others for names gives up after this many.
constexpr int kFinishTries = 60;

// Finishes the writer's archive (FinishBackup(0)) at `archivePath`; when
// another file took that name meanwhile, at the next free minute's name in
// the same folder, which `archivePath` then holds and `note` tells. Returns
// the last FinishBackup status; when no name is free the archive is
// discarded and the status is E_ARCHIVE_NAME_TAKEN.
HRESULT FinishUnderFreeName(IBackuper* writer, const BackupJob& job, std::string& archivePath,
                            std::string* note) {
  HRESULT hr = writer->FinishBackup(0);
  const std::string wanted = archivePath;
  for (int tries = 0; hr == E_ARCHIVE_NAME_TAKEN && tries < kFinishTries; ++tries) {
    const std::string next = NextFreeArchivePath(archivePath);
    if (next.empty()) break;
    archivePath = next;
    SetArchiveInfo(writer, job, archivePath, 0);
    hr = writer->FinishBackup(0);
  }
  if (hr == E_ARCHIVE_NAME_TAKEN) {
    writer->FinishBackup(1);
    if (note)
      *note = "No free name is left for the archive in " + platform::ParentFolder(archivePath) +
              "/; it was discarded.";
  } else if (archivePath != wanted && note) {
    *note = NameTakenNote(wanted, archivePath);
  }
  return hr;
}

// Tells the clients, for the length of a run, where its archive goes: they
// leave that folder out of what they save.
class RunDestination {
 public:
  explicit RunDestination(const std::string& folder) { Set(folder); }
  ~RunDestination() { Set(""); }
  RunDestination(const RunDestination&) = delete;
  RunDestination& operator=(const RunDestination&) = delete;

 private:
  static void Set(const std::string& folder) {
    platform::RegWriteString(ProgramKey(), kRunDestinationValue, folder);
  }
};

}  // namespace

std::string WithTrailingSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

RunOutcome RunBackup(const BackupJob& job, ClientList& clients, const std::string& destination,
                     ProgressDisplay* display, const CancelRequest* cancel,
                     const BackuperFactory& createBackuper) {
  RunOutcome outcome;
  const std::vector<ClientEntry*> selected = clients.Selected();
  const int count = static_cast<int>(selected.size());
  const std::tm moment = platform::LocalTime(job.time);
  const std::string momentName = ArchiveName(moment);
  const std::string freeName = FreeArchiveName(destination, moment);
  std::string archivePath = destination + (freeName.empty() ? momentName : freeName);

  RunFrame frame(outcome, {"run", "the archive was discarded", destination}, display, cancel, count,
                 ProgressIndicator::Direction::kBackup);
  WriteBackupHeader(frame.log(), job, archivePath);
  if (!freeName.empty() && freeName != momentName)
    frame.log().Write(NameTakenNote(momentName, archivePath) + "\n");
  IProgress* progress = frame.progress();
  if (!progress) {
    SayComponentsDamaged();
    return CouldNotStart("the progress object is missing");
  }

  ComPtr<IBackuper> backuper;
  const HRESULT created = createBackuper ? createBackuper(backuper) : CreateBackuper(backuper);
  if (Failed(created) || !backuper) {
    SayComponentsDamaged();
    return CouldNotStart("the archive writer cannot be created: " + LastComponentError());
  }

  backuper->SetProgress(progress);
  backuper->SetVersionInfo(job.versionMajor, job.versionMinor);
  SetArchiveInfo(backuper.get(), job, archivePath, count);
  const RunDestination runDestination(destination);
  // The options hand-over is inside the guarded part too: an error exception
  // there must discard the archive as well rather than leave the run with the
  // writer unfinished.
  const bool carriedOut = frame.Run([&]() -> Status {
    HandOverOptions(backuper.get(), selected);
    // A writer that could not create its files would let every client fail
    // object by object; the run stops at once instead.
    if (Failed(backuper->StartBackup())) return StartProblem(backuper.get(), archivePath);
    for (ClientEntry* client : selected) {
      frame.log().Write(kLogSeparator);
      ++outcome.clientsRun;
      IBkVpService* service = ServiceOf(*client);
      if (!service || Failed(service->Backup(backuper.get(), progress))) {
        ++outcome.clientsFailed;
        frame.Fail();
      }
    }
    return {};
  });
  bool finished = true;
  try {
    std::string note;
    finished =
        Succeeded(!carriedOut ? backuper->FinishBackup(1)
                              : FinishUnderFreeName(backuper.get(), job, archivePath, &note));
    if (!note.empty()) frame.log().Write(note + "\n");
  } catch (...) {
    finished = false;
  }
  if (carriedOut) {
    if (!finished) {
      frame.Stopped(
          "the archive " + archivePath + " could not be written",
          "The archive " + platform::EscapeControls(archivePath) + " could not be written.\n");
    } else if (!platform::FileExists(archivePath)) {
      frame.Completed(/*nothingWritten=*/true);
    } else {
      outcome.archivePath = archivePath;
      if (const auto info = platform::GetFileInfo(archivePath)) outcome.archiveBytes = info->size;
      frame.Completed();
    }
  }
  frame.Close();
  return outcome;
}

}  // namespace bkvp::engine
