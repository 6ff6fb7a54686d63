#include "archive/thread_setting.h"

#include <sched.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "platform/registry.h"

namespace bkvp::archive {

namespace {

constexpr const char* kProgramKey = "SOFTWARE\\Tarvik Systems\\Backup Vopal";
constexpr const char* kThreadsValue = "Threads";
constexpr const char* kThreadsVariable = "BKVP_THREADS";

std::optional<long> FromEnvironment() {
  const char* text = std::getenv(kThreadsVariable);
  if (!text || !*text) return std::nullopt;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (*end != '\0' || value < 0) return std::nullopt;
  return value;
}

std::optional<long> FromRegistry() {
  platform::HKEY key = nullptr;
  if (platform::RegOpenKey(platform::HKEY_CURRENT_USER, kProgramKey, &key) !=
      platform::ERROR_SUCCESS)
    return std::nullopt;
  uint32_t type = 0;
  uint32_t value = 0;
  uint32_t size = sizeof value;
  const auto status =
      platform::RegQueryValue(key, kThreadsValue, &type, reinterpret_cast<uint8_t*>(&value), &size);
  platform::RegCloseKey(key);
  if (status != platform::ERROR_SUCCESS || type != platform::REG_DWORD || size != sizeof value)
    return std::nullopt;
  return static_cast<long>(value);
}

// The cores this process may run on.
int Cores() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

}  // namespace

int ConfiguredCompressionThreads() {
  std::optional<long> chosen = FromEnvironment();
  if (!chosen) chosen = FromRegistry();
  const long threads = chosen && *chosen > 0 ? *chosen : Cores();
  return static_cast<int>(std::clamp<long>(threads, 1, kMaxCompressionThreads));
}

int CompressionThreads(int wanted) {
  return wanted > 0 ? std::min(wanted, kMaxCompressionThreads) : ConfiguredCompressionThreads();
}

}  // namespace bkvp::archive
