// bkvp schedule: sets, shows and turns off scheduled backups.
#include <iostream>
#include <variant>

#include "app/engine/autostart.h"
#include "app/engine/backup_now.h"
#include "app/engine/discovery.h"
#include "app/engine/last_run.h"
#include "app/engine/program_settings.h"
#include "app/engine/remote_place.h"
#include "app/engine/run_backup.h"
#include "app/engine/scheduler.h"
#include "cli/command.h"
#include "cli/engine_cli.h"
#include "platform/text.h"
#include "platform/time.h"

namespace bkvp::cli {
namespace {

using namespace bkvp::engine;
constexpr const char* kName = "schedule";
constexpr const char* kWeekdays[] = {"sunday",   "monday", "tuesday", "wednesday",
                                     "thursday", "friday", "saturday"};

// "mon", "Monday", ... (three letters at least).
std::optional<uint32_t> WeekdayOf(const std::string& word) {
  const std::string w = platform::ToLower(word);
  if (w.size() < 3) return std::nullopt;
  for (uint32_t d = 0; d < 7; ++d)
    if (std::string(kWeekdays[d]).compare(0, w.size(), w) == 0) return d;
  return std::nullopt;
}

std::optional<uint32_t> OrdinalOf(const std::string& word) {
  static const char* const kOrdinals[][2] = {
      {"1st", "1"}, {"2nd", "2"}, {"3rd", "3"}, {"4th", "4"}, {"last", "last"}};
  const std::string w = platform::ToLower(word);
  for (uint32_t i = 0; i < 5; ++i)
    if (w == kOrdinals[i][0] || w == kOrdinals[i][1]) return i;
  return std::nullopt;
}

std::optional<uint32_t> NumberIn(const std::string& text, uint32_t low, uint32_t high) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const auto n = static_cast<uint32_t>(std::stoul(text));
  if (n < low || n > high) return std::nullopt;
  return n;
}

// The moment of today at HH:MM, or why the text is not one.
std::variant<uint32_t, std::string> TimeOfDay(const std::string& text, std::time_t now) {
  const std::string form = "give the time of day as --at HH:MM";
  const size_t colon = text.find(':');
  if (colon == std::string::npos || text.size() - colon - 1 != 2) return form;
  const auto hour = NumberIn(text.substr(0, colon), 0, 99);
  const auto minute = NumberIn(text.substr(colon + 1), 0, 99);
  if (!hour || !minute) return form;
  if (*hour > 23) return "the hour in --at " + text + " is out of range (0 to 23)";
  if (*minute > 59) return "the minute in --at " + text + " is out of range (00 to 59)";
  return TimeOfDayOn(now, int(*hour), int(*minute));
}

std::string Moment(std::time_t t) { return platform::FormatLongDateTime(platform::LocalTime(t)); }

// Scheduled runs need the tray program running, so it starts at login while
// a schedule is on.
int KeepAutostartInStep(bool scheduleEnabled) {
  const std::string program = ProgramBesideThisExecutable();
  const Status result = UpdateAutostartEntry(scheduleEnabled, program);
  if (!result.ok())
    return front::Fail(kName, result.message() + " (the schedule itself is saved)", 1);
  if (!scheduleEnabled) return 0;
  std::cout << "Autostart entry: " << front::HomeAbbreviated(AutostartEntryPath()) << "\n";
  if (const std::string warning = MissingProgramWarning(program); !warning.empty())
    std::cerr << "bkvp " << kName << ": warning: " << warning << "\n";
  return 0;
}

// Which of the four rules, filled in from its options; an error text otherwise.
std::string ReadRule(const front::Options& o, ScheduleRecord& r) {
  const int rules =
      o.Has("--daily") + o.Has("--weekly") + o.Has("--monthly-day") + o.Has("--monthly");
  if (rules != 1) return "give exactly one of --daily, --weekly, --monthly-day, --monthly";
  if (o.Has("--daily")) {
    r.kind = kDaily;
  } else if (auto days = o.Value("--weekly")) {
    r.kind = kWeekly;
    size_t start = 0;
    while (start <= days->size()) {
      const size_t comma = std::min(days->find(',', start), days->size());
      const auto day = WeekdayOf(days->substr(start, comma - start));
      if (!day) return "unknown weekday in " + *days + " (use mon,tue,...)";
      r.weekdayMask |= 1u << *day;
      start = comma + 1;
    }
  } else if (auto day = o.Value("--monthly-day")) {
    r.kind = kMonthly;
    r.monthlyMode = kDayNumber;
    const auto n = NumberIn(*day, 1, 31);
    if (!n) return "--monthly-day takes a day from 1 to 31";
    r.dayNumber = *n;
  } else {
    const auto words = o.Values("--monthly");
    const auto ordinal = OrdinalOf(words[0]);
    const auto weekday = WeekdayOf(words[1]);
    if (!ordinal || !weekday) return "--monthly takes an ordinal (1st ... 4th, last) and a weekday";
    r.kind = kMonthly;
    r.monthlyMode = kOrdinalWeekday;
    r.ordinal = *ordinal;
    r.weekday = *weekday;
  }
  return "";
}

int Set(const std::vector<std::string>& args) {
  front::Options o;
  if (!o.Parse(kName, args,
               {{"--daily"},
                {"--weekly", 1},
                {"--monthly-day", 1},
                {"--monthly", 2},
                {"--at", 1},
                {"--keep", 1},
                {"--to", 1},
                {"--client", 1, true}}))
    return 2;
  if (!o.positional().empty()) return front::Fail(kName, "unexpected " + o.positional()[0], 2);
  const std::time_t now = SystemNow();
  const ProgramSettings settings = ProgramSettings::Load(now);

  ScheduleRecord record;
  if (std::string error = ReadRule(o, record); !error.empty()) return front::Fail(kName, error, 2);
  const auto at = TimeOfDay(o.Value("--at").value_or(""), now);
  if (const auto* why = std::get_if<std::string>(&at)) return front::Fail(kName, *why, 2);
  record.timeOfDay = std::get<uint32_t>(at);
  if (auto keep = o.Value("--keep")) {
    const auto n = NumberIn(*keep, 0, 9999);
    if (!n) return front::Fail(kName, "--keep takes a number of archives (0 keeps all)", 2);
    record.keepCount = *n;
  }

  std::string folder = o.Value("--to").value_or(
      !settings.scheduleStorePath.empty() ? settings.scheduleStorePath : settings.storePath);
  if (folder.empty())
    return front::Fail(kName, "no destination: give --to DIR or --to rclone:REMOTE:PATH", 2);
  folder = ResolveDestination(folder);
  // A destination that cannot be made (or reached) now would fail every
  // scheduled run.
  if (Status prepared = PrepareBackupPlace(folder); !prepared.ok())
    return front::Fail(kName, prepared.message(), 2);

  ClientList clients = DiscoverClients();
  if (Status selected = SelectClientsForBackup(
          clients, o.Values("--client"),
          !settings.scheduleClients.empty() ? settings.scheduleClients : settings.clients);
      !selected.ok())
    return front::Fail(kName, selected.message() + front::kClientHint, 2);
  std::vector<std::string> clsids;
  for (const ClientEntry* client : clients.Selected()) clsids.push_back(client->clsid);

  const Result<std::time_t> next = SaveSchedule(record, folder, clsids, now);
  if (!next.ok() && next.status().code() != Status::Code::kInvalid)
    return front::Fail(kName, next.status().message(), 1);
  std::cout << "Schedule: " << ScheduleSentence(record) << "\n";
  if (!next.ok()) {
    KeepAutostartInStep(false);
    return front::Fail(kName, next.status().message(), 1);
  }
  std::cout << "Next run: " << Moment(next.value()) << "\n";
  return KeepAutostartInStep(true);
}

int Show(const std::vector<std::string>& args) {
  if (!args.empty()) return front::Fail(kName, "show takes no arguments", 2);
  const ProgramSettings s = ProgramSettings::Load(SystemNow());
  if (!s.scheduleEnabled) {
    std::cout << "Scheduled backups are off.\n";
    return 0;
  }
  std::cout << "Schedule:    " << ScheduleSentence(s.schedule) << "\n"
            << "Next run:    " << Moment(s.taskTime) << "\n"
            << "Last backup: " << DescribeLastRun(RunKind::kBackup) << "\n"
            << "Destination: " << s.scheduleStorePath << "\n"
            << "Keep:        "
            << (s.schedule.keepCount ? std::to_string(s.schedule.keepCount) + " newest archives"
                                     : std::string("all archives"))
            << "\n";
  for (const std::string& name : ClientNamesOf(s.scheduleClients))
    std::cout << "Client:      " << name << "\n";
  return 0;
}

int Off(const std::vector<std::string>& args) {
  if (!args.empty()) return front::Fail(kName, "off takes no arguments", 2);
  if (Status stored = WriteScheduleEnabled(false); !stored.ok())
    return front::Fail(kName, stored.message(), 1);
  std::cout << "Scheduled backups are off.\n";
  return KeepAutostartInStep(false);
}

int RunSchedule(const std::vector<std::string>& args) {
  if (args.empty()) return front::Fail(kName, "give set, show or off (see --help)", 2);
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "set") return Set(rest);
  if (args[0] == "show") return Show(rest);
  if (args[0] == "off") return Off(rest);
  return front::Fail(kName, "unknown action " + args[0], 2);
}

const CommandRegistrar registrar({
    kName,
    "set, show or turn off scheduled backups",
    "usage: bkvp schedule set (--daily | --weekly DAYS | --monthly-day N |\n"
    "                          --monthly ORDINAL WEEKDAY) --at HH:MM\n"
    "                         [--keep N] [--to DIR|rclone:REMOTE:PATH] [--client ID|NAME]...\n"
    "       bkvp schedule show\n"
    "       bkvp schedule off\n"
    "\n"
    "  --daily                   every day\n"
    "  --weekly DAYS             on the weekdays listed, e.g. mon,fri\n"
    "  --monthly-day N           on day N of every month (31: the last day)\n"
    "  --monthly ORDINAL WEEKDAY on the 1st, 2nd, 3rd, 4th or last WEEKDAY\n"
    "  --at HH:MM                local time of the run\n"
    "  --keep N                  keep only the newest N archives (0: all), also on a remote\n"
    "  --to DIR                  destination (default: the stored one)\n"
    "  --to rclone:REMOTE:PATH   a folder on another machine (see bkvp backup --help)\n"
    "  --client ID|NAME          clients to save (default: the stored selection,\n"
    "                            else every present client); repeatable\n"
    "\n"
    "Scheduled runs are started by the tray program or by 'bkvp tick' (from cron\n"
    "or a systemd timer, once a minute).\n",
    RunSchedule,
});

}  // namespace
}  // namespace bkvp::cli
