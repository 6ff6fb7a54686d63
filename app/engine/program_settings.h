// The program's settings in the per-user program key, with their defaults.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "app/engine/schedule.h"
#include "contract/status.h"

namespace bkvp::engine {

// HKEY_CURRENT_USER\SOFTWARE\Tarvik Systems\Backup Vopal and its subkeys.
std::string ProgramKey();
std::string ScheduleKey();  // ...\Schedule
std::string GeneralKey();   // ...\General

// "TaskStatus" values.
constexpr uint32_t kTaskIdleOrFailed = 0;
constexpr uint32_t kTaskRunning = 1;
constexpr uint32_t kTaskCompleted = 2;

struct ProgramSettings {
  bool error = false;                        // "error"
  bool scheduleEnabled = false;              // "Schedule"
  uint32_t taskTime = 0;                     // Schedule\"TaskTime", seconds since 1970 UTC
  uint32_t taskStatus = kTaskIdleOrFailed;   // Schedule\"TaskStatus"
  bool runImmediately = false;               // "RunImmediately"
  std::string storePath;                     // "StorePath" of the last wizard
  std::vector<std::string> clients;          // "Client1", "Client2", ... of the last wizard
  std::string scheduleStorePath;             // Schedule\"StorePath"
  std::vector<std::string> scheduleClients;  // Schedule\"Client1", ...
  ScheduleRecord schedule;                   // Schedule\"Settings" (32 bytes)
  std::string cmdLineFile;                   // General\"CmdLineFile"

  // Missing values take their defaults; times default to `now`.
  static ProgramSettings Load(std::time_t now);
};

// Ok when the registry store can be used; otherwise kCannotRead naming the
// damaged file. Front ends check it first and refuse to run, so that a
// damaged store is never read as "nothing stored" and then overwritten.
Status CheckSettingsStore();

// The writers fail with kCannotWrite when the value could not be stored.

// "Client1", "Client2", ... of a key, up to the first missing or empty value.
std::vector<std::string> ReadClientSelection(std::string_view key);
// Deletes the numbered values from 1 upward while deleting succeeds, then
// writes the class identifiers numbered from 1.
Status WriteClientSelection(std::string_view key, const std::vector<std::string>& clsids);

Status WriteScheduleEnabled(bool enabled);
Status WriteRunImmediately(bool runImmediately);
Status WriteScheduleRecord(const ScheduleRecord& record);
Status WriteTaskTime(uint32_t secondsSince1970);
uint32_t ReadTaskStatus();
// "StorePath" under `key`, with the drive it lies on (destination_volume.h).
Status WriteStorePath(std::string_view key, std::string_view path);
// General\"CmdLineFile": the archive named on the program's command line.
Status WriteCmdLineFile(std::string_view path);

}  // namespace bkvp::engine
