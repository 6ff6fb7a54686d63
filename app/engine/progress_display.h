// What a run shows while it works, for the callers that have a screen: the
// wizard's finish pages and the terminal. Runs without one (scheduled,
// --unattended) pass none and get automatic answers instead.
#pragma once

#include <cstdint>
#include <string>

namespace bkvp::engine {

class ProgressDisplay {
 public:
  virtual ~ProgressDisplay() = default;
  virtual void SetPosition(int position) = 0;  // 0 ... 10000 for the whole run
  virtual void SetText(const std::string& text) = 0;
  // An object is done: `name` is the file or key it was saved from, or the
  // place it was restored to, as its log line names it; `bytes` is the size
  // of a file saved or restored, else 0.
  virtual void ObjectDone(const std::string& name, bool ok, uint64_t bytes) {
    (void)name;
    (void)ok;
    (void)bytes;
  }
  // An archive on its way to or from another machine: `done` of `total`
  // bytes, at `bytesPerSecond` (0 when not known). `what` says which way and
  // where ("Uploading to rclone:nas:backups"). By default the bar shows the
  // share done and the text `what`.
  virtual void Transfer(const std::string& what, uint64_t done, uint64_t total,
                        double bytesPerSecond);

  // Questions asked during a run. The defaults go through the platform's
  // message box hook; a front end overrides them with its own dialogs.
  // Returns the answer code of the pressed button.
  virtual int AskPrompt(const std::string& text, const std::string& caption, unsigned style);
  // A file error: Retry (4), Ignore (5), Cancel (2) or Abort (3).
  virtual int AskClientError(const std::string& text, const std::string& caption,
                             int defaultButton);
};

}  // namespace bkvp::engine
