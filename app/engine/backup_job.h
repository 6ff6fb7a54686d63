// The description of one backup run, filled by its caller.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace bkvp::engine {

struct BackupJob {
  std::time_t time = 0;  // names the archive; the log's "Date:" line
  std::string userName;
  std::string machineName;
  std::string label;
  int32_t versionMinor = 0;
  int32_t versionMajor = 0;
  std::string scheduleText;
};

// A run started by the user (wizard or bkvp backup): the program's version
// words, schedule text "Now"; user, machine and label as given.
BackupJob ImmediateJob(std::time_t now, std::string userName, std::string machineName,
                       std::string label);
// A scheduled run: logged-on user, computer name, "%c" label, version 1.0.
BackupJob ScheduledJob(std::time_t now, std::string scheduleSentence);
// The label a run gets when none is given: the moment in the "%c" form.
std::string DefaultLabel(std::time_t now);

}  // namespace bkvp::engine
