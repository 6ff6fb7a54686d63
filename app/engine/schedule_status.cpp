#include "app/engine/schedule_status.h"

#include "app/engine/archive_naming.h"
#include "app/engine/run_backup.h"
#include "platform/time.h"

namespace bkvp::engine {
namespace {

constexpr const char* kMomentFormat = "%Y-%m-%d %H:%M";

}  // namespace

std::optional<std::tm> NewestArchiveMoment(const std::string& folder) {
  // Names that do not decode tell nothing about the last backup.
  std::optional<ArchiveMoment> newest;
  for (const FoundArchive& found : ArchivesIn(folder))
    if (!newest || *newest < found.moment) newest = found.moment;
  if (!newest) return std::nullopt;
  return TmOf(*newest);
}

std::string ScheduleStatusLine(const ProgramSettings& settings) {
  if (!settings.scheduleEnabled) return "No backup scheduled";
  const auto last = settings.scheduleStorePath.empty()
                        ? std::nullopt
                        : NewestArchiveMoment(WithTrailingSlash(settings.scheduleStorePath));
  const std::string lastText = last ? platform::FormatTime(*last, kMomentFormat) : "never";
  const std::string nextText = platform::FormatTime(
      platform::LocalTime(static_cast<std::time_t>(settings.taskTime)), kMomentFormat);
  return "Last backup: " + lastText + " \u00b7 Next: " + nextText;
}

}  // namespace bkvp::engine
