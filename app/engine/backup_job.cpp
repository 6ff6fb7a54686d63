#include "app/engine/backup_job.h"

#include "contract/own_version.h"
#include "platform/sysinfo.h"
#include "platform/text.h"
#include "platform/time.h"

namespace bkvp::engine {

BackupJob ImmediateJob(std::time_t now, std::string userName, std::string machineName,
                       std::string label) {
  const OwnVersionWords version = OwnVersion();
  BackupJob job;
  job.time = now;
  job.userName = std::move(userName);
  job.machineName = std::move(machineName);
  job.label = std::move(label);
  job.versionMajor = static_cast<int32_t>(version.fileHigh);
  job.versionMinor = static_cast<int32_t>(version.fileLow);
  job.scheduleText = "Now";
  return job;
}

BackupJob ScheduledJob(std::time_t now, std::string scheduleSentence) {
  BackupJob job;
  job.time = now;
  // The scheduled run reads the names into fixed buffers of 257 and 16 bytes.
  job.userName = std::string(platform::CutUtf8(platform::UserName(), 256));
  job.machineName = std::string(platform::CutUtf8(platform::ComputerName(), 15));
  job.label = DefaultLabel(now);
  job.versionMajor = 1;
  job.versionMinor = 0;
  job.scheduleText = std::move(scheduleSentence);
  return job;
}

std::string DefaultLabel(std::time_t now) {
  return platform::FormatTime(platform::LocalTime(now), "%c");
}

}  // namespace bkvp::engine
