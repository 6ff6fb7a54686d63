// The two exceptions that cross module boundaries. Each has an out-of-line
// virtual destructor (its key function) in the contract library, so its type
// information exists once and a throw in one module is caught by type in
// another.
#pragma once

#include <cstdint>

#include "contract/com_types.h"

#pragma GCC visibility push(default)

namespace bkvp {

// Raised by IRestorer::RestoreFile: code 1 skips the current object and goes
// on, a negative code (E_FAIL) stops the operation. kKeptExisting skips it
// too, for a reason that is no failure: the target existed, and the person
// (or an unattended run without overwriting) chose to keep it as it was.
class KVError {
 public:
  explicit KVError(int32_t c) : code(c) {}
  KVError(const KVError&) = default;
  KVError& operator=(const KVError&) = default;
  virtual ~KVError();
  int32_t code;
};
constexpr int32_t kKeptExisting = 2;
// The end of the log line of a file kept as it was ("<path> kept as it
// was"): the program counts such files apart from those restored and those
// that failed.
constexpr const char* kKeptLineEnd = " kept as it was";
// The end of the log line of a symbolic link saved or restored as a link
// ("File Backup <path> (a link) OK", "<path> (a link) OK").
constexpr const char* kLinkLineEnd = " (a link) OK";

// The COM error exception: raised with E_FAIL when the user cancels a disk
// prompt or gives up after a file error; caught by the program around a run.
class ComError {
 public:
  explicit ComError(HRESULT hr) : hr_(hr) {}
  ComError(const ComError&) = default;
  ComError& operator=(const ComError&) = default;
  virtual ~ComError();
  HRESULT Error() const { return hr_; }

 private:
  HRESULT hr_;
};

}  // namespace bkvp

#pragma GCC visibility pop
