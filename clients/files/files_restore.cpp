#include "clients/files/files_restore.h"

#include <optional>
#include <set>
#include <unordered_map>

#include "clients/common/progress_calls.h"
#include "clients/files/files_identity.h"
#include "clients/files/restore_target.h"
#include "contract/errors.h"
#include "contract/object_walk.h"
#include "platform/files.h"

namespace bkvp::files {

namespace {

RestoreTarget TargetFor(IRestorer* restorer, const std::string& name,
                        const RestoreChoices& choices) {
  const std::string& destination = choices.destination;
  if (destination.empty()) return OriginalLocationTarget(name);
  if (choices.keepFolders) return KeptFolderTarget(destination, name);
  Variant options;
  const bool haveOptions = Succeeded(restorer->GetObjectOptions(&options));
  const auto bytes = haveOptions ? ByteArrayOf(options.get()) : std::nullopt;
  return ChosenFolderTarget(destination, bytes ? LocalNameFromOptions(*bytes) : "");
}

}  // namespace

HRESULT RestoreFiles(IRestorer* restorer, IProgress* progress, const RestoreChoices& choices) {
  int failed = 0;
  int kept = 0;
  // Two saved files that land on one target would replace each other.
  std::set<std::string> targets;
  // The next number to try per taken name: many files of one name would
  // otherwise try every number of the ones before them again.
  std::unordered_map<std::string, int> nextNumbers;
  const bool sideBySide = !choices.destination.empty() && !choices.keepFolders;
  const SectionWalk walk =
      ForEachObject(restorer, LoadFilesString(IDS_SERVICE_CLSID), [&](const SectionObject& object) {
        if (object.type != kObjectFile) return WalkStep::kNext;
        const std::string& name = object.name;
        RestoreTarget target = TargetFor(restorer, name, choices);
        // Side by side, a name that a file of this restore took gets a number
        // instead of replacing that file; a file that was there before the
        // restore keeps its name for --overwrite, and a numbered name never
        // replaces anything.
        if (target.ok() && sideBySide && targets.count(target.path)) {
          const std::string taken = target.path;
          target.path = NumberedName(
              taken,
              [&](const std::string& candidate) {
                return !targets.count(candidate) && !platform::FileExists(candidate);
              },
              &nextNumbers[taken]);
          clients::SendMessage(progress, name + " is restored as " + target.path + ": " + taken +
                                             " holds another file of this restore.");
        }
        if (!target.ok()) {
          ++failed;
          clients::LogObjectFailure(progress, name, "not restored, " + target.refusal);
        } else if (!targets.insert(target.path).second) {
          ++failed;
          clients::LogObjectFailure(
              progress, target.path,
              "not restored from " + name + ", another file of this restore has the same name");
        } else {
          // The reader creates missing folders itself, without following
          // links that somebody else put in their place.
          try {
            // A file the reader could not write has its " FAILED" line already.
            if (Failed(restorer->RestoreFile(Bstr(target.path).get(), choices.overwrite ? 1 : 0,
                                             VARIANT_TRUE)))
              ++failed;
          } catch (const KVError& error) {
            // Raised without a line. A file the person chose to keep (or an
            // unattended run without overwriting kept) is no failure; one
            // skipped after an error is, and so is a cancel.
            if (error.code == kKeptExisting) {
              ++kept;
              clients::SendMessage(progress, target.path + kKeptLineEnd);
              return WalkStep::kNext;
            }
            ++failed;
            clients::LogObjectFailure(progress, target.path, "");
            throw;
          }
        }
        return WalkStep::kNext;
      });
  if (walk.cancelled) return E_FAIL;
  if (Failed(walk.status)) return walk.status;
  return failed > 0 ? E_FAIL : S_OK;
}

}  // namespace bkvp::files
