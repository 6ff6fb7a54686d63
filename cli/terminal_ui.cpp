#include "cli/terminal_ui.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include "clients/common/countdown_timer.h"
#include "platform/text.h"
#include "platform/ui.h"

namespace bkvp::cli::front {
namespace {

namespace ui = platform::ui;

constexpr int kBarWidth = 30;
constexpr size_t kTextWidth = 40;

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
  std::cout << "\r\x1b[K" << caption << ": " << text << "\n";
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

class TerminalDisplay : public engine::ProgressDisplay {
 public:
  ~TerminalDisplay() override {
    if (drawn_) std::cout << "\r\x1b[K" << std::flush;
  }
  void SetPosition(int position) override {
    position_ = position;
    Draw();
  }
  void SetText(const std::string& text) override {
    text_ = text;
    Draw();
  }
  int AskPrompt(const std::string& text, const std::string& caption, unsigned style) override {
    return TerminalMessageBox(text, caption, style);
  }
  int AskClientError(const std::string& text, const std::string& caption,
                     int defaultButton) override {
    static const int kDefaults[] = {ui::IDRETRY, ui::IDIGNORE, ui::IDCANCEL, ui::IDABORT};
    const int fallback =
        defaultButton >= 0 && defaultButton < 4 ? kDefaults[defaultButton] : ui::IDCANCEL;
    return AskOnTerminal(text, caption,
                         {{'r', "[R]etry", ui::IDRETRY},
                          {'i', "[I]gnore", ui::IDIGNORE},
                          {'c', "[C]ancel", ui::IDCANCEL},
                          {'a', "[A]bort", ui::IDABORT}},
                         fallback);
  }

 private:
  void Draw() {
    // Redrawing for every object of a large tree would flood the terminal.
    const auto now = std::chrono::steady_clock::now();
    if (drawn_ && now - lastDraw_ < std::chrono::milliseconds(50)) return;
    lastDraw_ = now;
    drawn_ = true;
    const int filled = position_ * kBarWidth / 10000;
    std::string name = text_;
    if (name.size() > kTextWidth) {
      size_t start = name.size() - (kTextWidth - 3);
      while (start < name.size() && (static_cast<unsigned char>(name[start]) & 0xC0) == 0x80)
        ++start;  // never begin inside a UTF-8 sequence
      name = "..." + name.substr(start);
    }
    std::printf("\r\x1b[K[%s%s] %3d%%  %s", std::string(size_t(filled), '#').c_str(),
                std::string(size_t(kBarWidth - filled), ' ').c_str(), position_ / 100,
                name.c_str());
    std::fflush(stdout);
  }

  int position_ = 0;
  std::string text_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace

TerminalFrontEnd::TerminalFrontEnd(bool unattended) {
  if (unattended || !isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) return;
  display_ = std::make_unique<TerminalDisplay>();
  ui::InstallHooks({nullptr, TerminalMessageBox, TerminalCountdown});
}

TerminalFrontEnd::~TerminalFrontEnd() {
  if (display_) ui::ResetHooks();
}

}  // namespace bkvp::cli::front
