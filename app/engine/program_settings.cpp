#include "app/engine/program_settings.h"

#include "app/engine/destination_volume.h"
#include "contract/identifiers.h"
#include "platform/errors.h"
#include "platform/registry.h"

namespace bkvp::engine {
namespace {

uint32_t ReadNumber(std::string_view key, std::string_view name, uint32_t fallback) {
  return platform::RegReadDword(key, name).value_or(fallback);
}

std::string ReadText(std::string_view key, std::string_view name) {
  return platform::RegReadString(key, name).value_or("");
}

std::string ClientValueName(size_t number) { return "Client" + std::to_string(number); }

// A write's status: the value named is in the store, or it could not be put
// there (the store is held by another program, the disk is full, ...).
Status Stored(platform::LSTATUS status, std::string_view key, std::string_view name) {
  if (status == platform::ERROR_SUCCESS) return {};
  return {Status::Code::kCannotWrite, "cannot store " + std::string(name) + " in " +
                                          std::string(key) + ": " +
                                          platform::ErrorMessage(static_cast<uint32_t>(status))};
}

}  // namespace

std::string ProgramKey() { return kProgramKey; }
std::string ScheduleKey() { return ProgramKey() + "\\Schedule"; }
std::string GeneralKey() { return ProgramKey() + "\\General"; }

ProgramSettings ProgramSettings::Load(std::time_t now) {
  const std::string program = ProgramKey();
  const std::string schedule = ScheduleKey();
  const auto nowSeconds = static_cast<uint32_t>(now);
  ProgramSettings s;
  s.error = ReadNumber(program, "error", 0) != 0;
  s.scheduleEnabled = ReadNumber(program, "Schedule", 0) != 0;
  s.taskTime = ReadNumber(schedule, "TaskTime", nowSeconds);
  s.taskStatus = ReadNumber(schedule, "TaskStatus", kTaskIdleOrFailed);
  s.runImmediately = ReadNumber(program, "RunImmediately", 0) != 0;
  s.storePath = ReadText(program, "StorePath");
  s.clients = ReadClientSelection(program);
  s.scheduleStorePath = ReadText(schedule, "StorePath");
  s.scheduleClients = ReadClientSelection(schedule);
  s.schedule.timeOfDay = nowSeconds;
  if (auto bytes = platform::RegReadBinary(schedule, "Settings"))
    if (auto record = ScheduleRecord::Decode(*bytes)) s.schedule = *record;
  s.cmdLineFile = ReadText(GeneralKey(), "CmdLineFile");
  return s;
}

std::vector<std::string> ReadClientSelection(std::string_view key) {
  std::vector<std::string> clsids;
  for (size_t n = 1;; ++n) {
    auto value = platform::RegReadString(key, ClientValueName(n));
    if (!value || value->empty()) break;
    clsids.push_back(std::move(*value));
  }
  return clsids;
}

Status WriteClientSelection(std::string_view key, const std::vector<std::string>& clsids) {
  platform::RegKeyHandle handle;
  if (Status opened = Stored(platform::RegCreateKeyPath(key, handle.out()), key, "the clients");
      !opened.ok())
    return opened;
  for (size_t n = 1;; ++n)
    if (platform::RegDeleteValue(handle.get(), ClientValueName(n).c_str()) !=
        platform::ERROR_SUCCESS)
      break;
  for (size_t i = 0; i < clsids.size(); ++i)
    if (Status stored = Stored(platform::RegWriteString(key, ClientValueName(i + 1), clsids[i]),
                               key, ClientValueName(i + 1));
        !stored.ok())
      return stored;
  return {};
}

Status WriteScheduleEnabled(bool enabled) {
  return Stored(platform::RegWriteDword(ProgramKey(), "Schedule", enabled ? 1 : 0), ProgramKey(),
                "Schedule");
}

Status WriteRunImmediately(bool runImmediately) {
  return Stored(platform::RegWriteDword(ProgramKey(), "RunImmediately", runImmediately ? 1 : 0),
                ProgramKey(), "RunImmediately");
}

Status WriteScheduleRecord(const ScheduleRecord& record) {
  return Stored(platform::RegWriteBinary(ScheduleKey(), "Settings", record.Encode()), ScheduleKey(),
                "Settings");
}

Status WriteTaskTime(uint32_t secondsSince1970) {
  return Stored(platform::RegWriteDword(ScheduleKey(), "TaskTime", secondsSince1970), ScheduleKey(),
                "TaskTime");
}

uint32_t ReadTaskStatus() { return ReadNumber(ScheduleKey(), "TaskStatus", kTaskIdleOrFailed); }

Status WriteStorePath(std::string_view key, std::string_view path) {
  if (Status stored = Stored(platform::RegWriteString(key, "StorePath", path), key, "StorePath");
      !stored.ok())
    return stored;
  return RecordDestinationVolume(key, std::string(path));
}

Status CheckSettingsStore() {
  const auto problem = platform::CheckRegistryStore();
  if (!problem) return {};
  return {Status::Code::kCannotRead,
          "the settings store " + problem->file + " cannot be used (" +
              platform::ErrorMessage(static_cast<uint32_t>(problem->status)) +
              "); it was left untouched"};
}

Status WriteCmdLineFile(std::string_view path) {
  return Stored(platform::RegWriteString(GeneralKey(), "CmdLineFile", path), GeneralKey(),
                "CmdLineFile");
}

}  // namespace bkvp::engine
