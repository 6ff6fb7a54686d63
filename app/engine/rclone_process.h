// The rclone program, through which this program reaches every kind of
// storage on other machines: found on PATH (or at BKVP_RCLONE), run with an
// argument vector, and its own reason kept when it fails. The user's rclone
// configuration stays rclone's: nothing of it is read or copied here.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/engine/cancel_request.h"

namespace bkvp::engine {

// rclone's path; nullopt when it is not installed, or when BKVP_RCLONE names
// nothing that can run.
std::optional<std::string> RcloneProgram();
// Says that rclone is missing and how to get it.
std::string RcloneMissingText();

// A transfer's progress, as rclone reports it while it copies.
struct TransferStats {
  uint64_t bytes = 0;
  uint64_t totalBytes = 0;
  double bytesPerSecond = 0;
};

struct RcloneCall {
  std::vector<std::string> args;  // after the program, e.g. {"lsjson", "nas:backups"}
  const CancelRequest* cancel = nullptr;
  // Standard output as it comes; without it the output is collected.
  std::function<bool(const char*, size_t)> onOutput;
  // Asks rclone for statistics twice a second and hands them over.
  std::function<void(const TransferStats&)> onStats;
  // A listing or a small read: bounded in time on top of rclone's own
  // network timeouts. Transfers are bounded by those alone.
  std::optional<std::chrono::seconds> deadline = std::chrono::seconds(120);
};

struct RcloneResult {
  bool ok = false;
  bool cancelled = false;
  bool notFound = false;  // the folder or file named does not exist
  std::string output;
  std::string problem;  // rclone's own reason, or why it could not run

  explicit operator bool() const { return ok; }
};

RcloneResult RunRclone(const RcloneCall& call);

// The reason a failed rclone gives in its last lines of standard error
// (plain or JSON log lines), without time stamps; "" when it gave none.
std::string RcloneReason(const std::vector<std::string>& errorLines);

}  // namespace bkvp::engine
