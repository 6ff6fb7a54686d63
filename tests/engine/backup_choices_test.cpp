#include "app/engine/backup_choices.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/engine/autostart.h"
#include "app/engine/program_settings.h"
#include "platform/registry.h"
#include "tests/support/test_support.h"

namespace bkvp::engine {
namespace {

class BackupChoicesTest : public bkvp::testing::HomeFixture {
 protected:
  static bool AutostartWritten() { return std::filesystem::exists(AutostartEntryPath()); }
  static uint32_t Number(const std::string& key, const char* name) {
    return platform::RegReadDword(key, name).value_or(99);
  }

  const std::time_t now = 1700000000;  // Tuesday, 14 November 2023
};

TEST_F(BackupChoicesTest, ScheduleIsStoredWholeAndTurningItOffRemovesTheAutostartEntry) {
  ASSERT_TRUE(WriteClientSelection(ProgramKey(), {"{A}", "{B}", "{C}"}).ok());
  BackupChoices choices;
  choices.clsids = {"{B}", "{D}"};
  choices.destination = "/media/backup/";
  choices.runImmediately = true;
  choices.schedule = true;
  choices.record.kind = kWeekly;
  choices.record.weekdayMask = 0b0100010;  // Monday, Friday
  choices.record.keepCount = 5;
  choices.record.timeOfDay = TimeOfDayOn(now, 22, 30);

  SavedChoices saved = SaveBackupChoices(choices, now, "/opt/bv/bin/BackupVopal");
  EXPECT_TRUE(saved.stored.ok()) << saved.stored.message();
  ASSERT_TRUE(saved.scheduleOn());
  EXPECT_EQ(*saved.nextRun, *ComputeNextRun(choices.record, now));
  ProgramSettings stored = ProgramSettings::Load(now);
  // The third client of the earlier selection is gone, not left behind.
  EXPECT_EQ(stored.clients, choices.clsids);
  EXPECT_EQ(stored.scheduleClients, choices.clsids);
  EXPECT_EQ(stored.storePath, "/media/backup/");
  EXPECT_EQ(stored.scheduleStorePath, "/media/backup/");
  EXPECT_TRUE(stored.runImmediately);
  EXPECT_TRUE(stored.scheduleEnabled);
  EXPECT_EQ(stored.schedule.Encode(), choices.record.Encode());
  EXPECT_EQ(stored.taskTime, uint32_t(*saved.nextRun));
  EXPECT_TRUE(AutostartWritten());

  // Neither run now nor later: only the choices are kept, scheduling is off
  // and nothing starts the program at login any more.
  choices.runImmediately = choices.schedule = false;
  saved = SaveBackupChoices(choices, now, "/opt/bv/bin/BackupVopal");
  EXPECT_TRUE(saved.stored.ok()) << saved.stored.message();
  EXPECT_FALSE(saved.scheduleOn());
  EXPECT_EQ(Number(ProgramKey(), "Schedule"), 0u);
  EXPECT_EQ(Number(ProgramKey(), "RunImmediately"), 0u);
  EXPECT_FALSE(AutostartWritten());
}

TEST_F(BackupChoicesTest, ScheduleWithoutARunDayIsReportedAndLeftOff) {
  BackupChoices choices;
  choices.clsids = {"{B}"};
  choices.destination = "/media/backup/";
  choices.schedule = true;
  choices.record.kind = kWeekly;  // no weekday checked
  const SavedChoices saved = SaveBackupChoices(choices, now, "/opt/bv/bin/BackupVopal");
  EXPECT_NE(saved.stored.message().find("has no run day"), std::string::npos)
      << saved.stored.message();
  EXPECT_FALSE(saved.scheduleOn());
  EXPECT_EQ(Number(ProgramKey(), "Schedule"), 0u);
  EXPECT_FALSE(AutostartWritten());
}

}  // namespace
}  // namespace bkvp::engine
