#include "app/engine/files_restore_choices.h"

#include "app/engine/backup_now.h"
#include "clients/files/backup_list_store.h"
#include "platform/errors.h"

namespace bkvp::engine {

Status ChooseFilesRestore(const FilesRestoreRequest& request) {
  if (!request.folder.empty())
    if (Status prepared = PrepareDestination(request.folder); !prepared.ok()) return prepared;
  files::RestoreChoices choices;
  choices.destination = request.folder;
  choices.overwrite = request.overwrite;
  choices.keepFolders = !request.flat;
  const platform::LSTATUS stored = files::WriteRestoreChoices(choices);
  if (stored == platform::ERROR_SUCCESS) return {};
  return {Status::Code::kCannotWrite, "cannot store the restore choices: " +
                                          platform::ErrorMessage(static_cast<uint32_t>(stored))};
}

}  // namespace bkvp::engine
