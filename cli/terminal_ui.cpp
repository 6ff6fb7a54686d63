#include "cli/terminal_ui.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include "clients/common/countdown_timer.h"
#include "platform/byte_size.h"
#include "platform/text.h"
#include "platform/ui.h"

namespace bkvp::cli::front {
namespace {

namespace ui = platform::ui;
using Clock = std::chrono::steady_clock;

constexpr int kBarWidth = 24;
// Rate and time left appear once a run has gone on this long.
constexpr std::chrono::seconds kLongRun{3};
// Answers of the two extra choices of the "already exists" question.
constexpr int kAnswerAll = 100;
constexpr int kAnswerSkipAll = 101;

struct Button {
  char key;
  const char* label;
  int answer;
};

std::vector<Button> ButtonsOf(unsigned style) {
  switch (style & 0xF) {
    case ui::MB_OK:
      return {{'o', "[O]K", ui::IDOK}};
    case ui::MB_OKCANCEL:
      return {{'o', "[O]K", ui::IDOK}, {'c', "[C]ancel", ui::IDCANCEL}};
    case ui::MB_ABORTRETRYIGNORE:
      return {{'a', "[A]bort", ui::IDABORT},
              {'r', "[R]etry", ui::IDRETRY},
              {'i', "[I]gnore", ui::IDIGNORE}};
    case ui::MB_YESNOCANCEL:
      return {{'y', "[Y]es", ui::IDYES}, {'n', "[N]o", ui::IDNO}, {'c', "[C]ancel", ui::IDCANCEL}};
    case ui::MB_YESNO:
      return {{'y', "[Y]es", ui::IDYES}, {'n', "[N]o", ui::IDNO}};
    case ui::MB_RETRYCANCEL:
      return {{'r', "[R]etry", ui::IDRETRY}, {'c', "[C]ancel", ui::IDCANCEL}};
    default:
      return {};
  }
}

// Asks until one of the buttons is chosen; an empty line takes the default,
// the end of input gives the default too.
int AskOnTerminal(const std::string& text, const std::string& caption,
                  const std::vector<Button>& buttons, int defaultAnswer) {
  std::cout << "\r\x1b[K" << caption << ": " << platform::OneLine(text) << "\n";
  for (;;) {
    for (const Button& b : buttons)
      std::cout << b.label << (b.answer == defaultAnswer ? "*" : "") << " ";
    std::cout << "> " << std::flush;
    std::string line;
    if (!std::getline(std::cin, line)) return defaultAnswer;
    if (line.empty()) return defaultAnswer;
    const char key = platform::ToLower(line.substr(0, 1))[0];
    for (const Button& b : buttons)
      if (b.key == key) return b.answer;
  }
}

int TerminalMessageBox(const std::string& text, const std::string& caption, unsigned style) {
  const auto buttons = ButtonsOf(style);
  if (buttons.empty()) return ui::DefaultAnswer(style);
  return AskOnTerminal(text, caption, buttons, ui::DefaultAnswer(style));
}

// The countdown counts on one line by the dialog's own timer (60, 55, ... 0
// on its 5-second ticks); Enter closes now (OK), "c" and Enter cancels, and
// running out of time or of input is OK as well.
int TerminalCountdown(const ui::CountdownRequest& request) {
  std::cout << request.caption << "\n" << request.runningText << "\n";
  const auto show = [&](int shown) {
    std::cout << "\r\x1b[K" << request.closingText << " " << shown
              << " s (Enter: close now, c: cancel) " << std::flush;
  };
  const auto waitForAnswer = [](int milliseconds) {
    pollfd in{STDIN_FILENO, POLLIN, 0};
    if (poll(&in, 1, milliseconds) <= 0) return 0;
    std::string line;
    if (!std::getline(std::cin, line)) return ui::IDOK;
    return !line.empty() && (line[0] == 'c' || line[0] == 'C') ? ui::IDCANCEL : ui::IDOK;
  };
  const int answer = clients::RunCountdown(request, show, waitForAnswer);
  std::cout << "\n";
  return answer;
}

size_t TerminalColumns() {
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col >= 20) return size.ws_col;
  return 80;
}

// The end of a name that fits `width` characters, with "..." in front when
// cut; never begins inside a UTF-8 sequence.
std::string Tail(const std::string& text, size_t width) {
  size_t characters = 0;
  for (const char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  if (characters <= width) return text;
  if (width <= 3) return "";
  size_t keep = width - 3, start = text.size();
  while (start > 0 && keep > 0) {
    --start;
    if ((static_cast<unsigned char>(text[start]) & 0xC0) != 0x80) --keep;
  }
  return "..." + text.substr(start);
}

std::string Duration(double seconds) {
  const auto s = static_cast<long>(seconds + 0.5);
  char text[32];
  if (s >= 3600)
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  else
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
  return text;
}

}  // namespace

class TerminalDisplay : public engine::ProgressDisplay {
 public:
  explicit TerminalDisplay(TerminalFrontEnd::Kind kind)
      : restoring_(kind == TerminalFrontEnd::Kind::kRestore), started_(Clock::now()) {}

  void SetPosition(int position) override {
    position_ = position;
    Draw(false);
  }
  // A restore names its sources here; the bar shows where they went instead.
  void SetText(const std::string& text) override {
    if (restoring_) return;
    text_ = text;
    Draw(false);
  }
  // The bar shows the transfer's share; the text its sizes and rate.
  void Transfer(const std::string& what, uint64_t done, uint64_t total,
                double bytesPerSecond) override {
    position_ = total ? int(10000 * std::min(done, total) / total) : 0;
    text_ = what + ": " + platform::ByteSize(done) + " of " + platform::ByteSize(total);
    if (bytesPerSecond > 0)
      text_ += ", " + platform::ByteSize(static_cast<uint64_t>(bytesPerSecond)) + "/s";
    Draw(false);
  }
  void ObjectDone(const std::string& name, bool, uint64_t bytes) override {
    bytes_ += bytes;
    if (restoring_) text_ = name;
    Draw(false);
  }
  int AskPrompt(const std::string& text, const std::string& caption, unsigned style) override {
    if ((style & 0xF) != ui::MB_YESNOCANCEL) return Asked(TerminalMessageBox(text, caption, style));
    // The "already exists" question: All and Skip all answer it for the
    // rest of the run.
    int answer = sticky_;
    if (!answer) {
      answer = Asked(AskOnTerminal(text, caption,
                                   {{'y', "[Y]es", ui::IDYES},
                                    {'n', "[N]o", ui::IDNO},
                                    {'a', "[A]ll", kAnswerAll},
                                    {'s', "[S]kip all", kAnswerSkipAll},
                                    {'c', "[C]ancel", ui::IDCANCEL}},
                                   ui::DefaultAnswer(style)));
      if (answer == kAnswerAll || answer == kAnswerSkipAll) {
        sticky_ = answer == kAnswerAll ? ui::IDYES : ui::IDNO;
        answer = sticky_;
      }
    }
    if (answer == ui::IDYES) ++replaced_;
    if (answer == ui::IDCANCEL) cancelled_ = true;
    return answer;
  }
  int AskClientError(const std::string& text, const std::string& caption,
                     int defaultButton) override {
    static const int kDefaults[] = {ui::IDRETRY, ui::IDIGNORE, ui::IDCANCEL, ui::IDABORT};
    const int fallback =
        defaultButton >= 0 && defaultButton < 4 ? kDefaults[defaultButton] : ui::IDCANCEL;
    return Asked(AskOnTerminal(text, caption,
                               {{'r', "[R]etry", ui::IDRETRY},
                                {'i', "[I]gnore", ui::IDIGNORE},
                                {'c', "[C]ancel", ui::IDCANCEL},
                                {'a', "[A]bort", ui::IDABORT}},
                               fallback));
  }

  void Finish(bool carriedOut) {
    if (carriedOut) position_ = 10000;
    Draw(true);
    std::cout << "\n" << std::flush;
  }
  int replaced() const { return replaced_; }
  bool cancelled() const { return cancelled_; }

 private:
  // A question ends the bar's line; the bar starts afresh below it.
  int Asked(int answer) {
    lastDraw_ = {};
    return answer;
  }

  void Draw(bool force) {
    // Redrawing for every object of a large tree would flood the terminal.
    const auto now = Clock::now();
    if (!force && lastDraw_ != Clock::time_point{} &&
        now - lastDraw_ < std::chrono::milliseconds(100))
      return;
    lastDraw_ = now;
    const int position = std::min(std::max(position_, 0), 10000);
    const int filled = position * kBarWidth / 10000;
    std::string line = "[" + std::string(size_t(filled), '#') +
                       std::string(size_t(kBarWidth - filled), ' ') + "] ";
    char percent[16];
    std::snprintf(percent, sizeof percent, "%3d%%", position / 100);
    line += percent;
    const double elapsed = std::chrono::duration<double>(now - started_).count();
    if (now - started_ >= kLongRun) {
      line += "  " + platform::ByteSize(static_cast<uint64_t>(double(bytes_) / elapsed)) + "/s";
      if (position > 0 && position < 10000)
        line += "  " + Duration(elapsed * (10000 - position) / position) + " left";
    }
    line += "  ";
    const size_t columns = TerminalColumns();
    if (line.size() + 1 < columns) line += Tail(text_, columns - line.size() - 1);
    std::cout << "\r\x1b[K" << line << std::flush;
  }

  bool restoring_;
  Clock::time_point started_;
  Clock::time_point lastDraw_{};
  int position_ = 0;
  uint64_t bytes_ = 0;
  std::string text_;
  int sticky_ = 0;  // IDYES or IDNO after All or Skip all
  int replaced_ = 0;
  bool cancelled_ = false;
};

TerminalFrontEnd::TerminalFrontEnd(bool unattended, Kind kind) {
  if (unattended || !isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) return;
  display_ = std::make_unique<TerminalDisplay>(kind);
  ui::InstallHooks({nullptr, TerminalMessageBox, TerminalCountdown});
}

TerminalFrontEnd::~TerminalFrontEnd() {
  if (display_) ui::ResetHooks();
}

engine::ProgressDisplay* TerminalFrontEnd::display() { return display_.get(); }

void TerminalFrontEnd::Finish(bool carriedOut) {
  if (display_) display_->Finish(carriedOut);
}

int TerminalFrontEnd::filesReplaced() const { return display_ ? display_->replaced() : 0; }

bool TerminalFrontEnd::cancelledAtQuestion() const { return display_ && display_->cancelled(); }

}  // namespace bkvp::cli::front
