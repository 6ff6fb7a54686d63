// The program's commands: the tray menu's items and what a second start
// forwards to the running program.
#pragma once

namespace bkvp::ui {

constexpr int kCommandNone = 0;  // a second start with only "/q"
constexpr int kCommandBackUpNow = 0x8003;
constexpr int kCommandRestoreNow = 0x8004;
constexpr int kCommandStepByStep = 0x8005;
constexpr int kCommandExit = 0x8006;
constexpr int kCommandViewLog = 0x8007;
constexpr int kCommandOpenCommandLineFile = 0x8008;

// Wizard pages by number.
constexpr int kPageStart = 0;
constexpr int kPageBackupClients = 1;
constexpr int kPageBackupDestination = 2;
constexpr int kPageBackupSchedule = 3;
constexpr int kPageBackupFinish = 4;
constexpr int kPageRestoreSource = 5;
constexpr int kPageRestoreClients = 6;
constexpr int kPageRestoreFinish = 7;

}  // namespace bkvp::ui
