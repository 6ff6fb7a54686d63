// Waiting for an event instead of for time to pass: a condition on files of
// a folder is looked at again whenever something in that folder changes,
// and a process is waited for until it ends.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>

namespace bkvp::testing {

// True as soon as condition() holds: it is asked at once and again after
// every file created, written, moved or removed in `folder`; false when the
// timeout (a bound for a broken test, not a wait) passes first.
bool WaitUntil(const std::string& folder, const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(30));

// True once the process has ended (whether or not it was collected yet);
// false when the timeout passes first.
bool WaitForExit(pid_t pid, std::chrono::milliseconds timeout = std::chrono::seconds(30));

}  // namespace bkvp::testing
