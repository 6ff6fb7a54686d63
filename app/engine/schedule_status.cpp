#include "app/engine/schedule_status.h"

#include "app/engine/archive_naming.h"
#include "app/engine/run_backup.h"
#include "platform/files.h"
#include "platform/time.h"

namespace bkvp::engine {
namespace {

constexpr const char* kMomentFormat = "%Y-%m-%d %H:%M";

}  // namespace

std::optional<std::tm> NewestArchiveMoment(const std::string& folder) {
  std::optional<ArchiveMoment> newest;
  for (const auto& found : platform::FindFiles(folder + kArchivePattern)) {
    if (found.attributes & platform::FILE_ATTRIBUTE_DIRECTORY) continue;
    try {
      const ArchiveMoment moment = DecodeArchiveName(found.name);
      if (!newest || *newest < moment) newest = moment;
    } catch (const bad_number&) {
      // Not one of ours after all; it tells nothing about the last backup.
    }
  }
  if (!newest) return std::nullopt;
  std::tm local{};
  local.tm_year = newest->year + 100;  // names count years from 2000
  local.tm_mon = newest->month - 1;
  local.tm_mday = newest->day;
  local.tm_hour = newest->hour;
  local.tm_min = newest->minute;
  local.tm_isdst = -1;
  return local;
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
