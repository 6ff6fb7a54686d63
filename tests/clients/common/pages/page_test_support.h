// Helpers of the page tests: message boxes answered from a script, and
// driving modal dialogs that a click opens.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace bkvp::testing {

// Installs a message box that records each box and answers from `answers`
// (then with `fallback`) for the lifetime of the object.
class ScriptedMessageBoxes {
 public:
  struct Shown {
    std::string text;
    std::string caption;
    unsigned style;
  };

  explicit ScriptedMessageBoxes(std::deque<int> answers = {}, int fallback = platform::ui::IDCANCEL)
      : answers_(std::move(answers)), fallback_(fallback) {
    platform::ui::Hooks hooks;
    hooks.messageBox = [this](const std::string& text, const std::string& caption, unsigned style) {
      shown.push_back({text, caption, style});
      if (answers_.empty()) return fallback_;
      const int answer = answers_.front();
      answers_.pop_front();
      return answer;
    };
    platform::ui::InstallHooks(std::move(hooks));
  }
  ~ScriptedMessageBoxes() { platform::ui::ResetHooks(); }
  ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
  ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

  // The texts shown, in order.
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const Shown& box : shown) texts.push_back(box.text);
    return texts;
  }

  std::vector<Shown> shown;

 private:
  std::deque<int> answers_;
  int fallback_;
};

// Runs `open`, which opens a modal dialog of type D, and `drive` on that
// dialog once it shows. `drive` must end the dialog.
template <class D>
void WithModal(const std::function<void()>& open, const std::function<void(D&)>& drive) {
  bool driven = false;
  QObject guard;  // cancels the timer when the dialog never opened
  QTimer::singleShot(0, &guard, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    auto* wanted = dynamic_cast<D*>(dialog);
    if (wanted) {
      driven = true;
      drive(*wanted);
    } else if (dialog) {
      dialog->done(QDialog::Rejected);
    }
  });
  open();
  if (!driven) throw std::runtime_error("the expected dialog did not open");
}

}  // namespace bkvp::testing
