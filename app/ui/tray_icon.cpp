#include "app/ui/tray_icon.h"

#include "app/ui/commands.h"

namespace bkvp::ui {

CTrayIcon::CTrayIcon(QObject* parent) : QObject(parent), defaultCommand_(kCommandStepByStep) {
  menu_.setObjectName("Tray");
  const struct {
    int command;
    const char* text;
  } kItems[] = {{kCommandBackUpNow, "BackUp Now"},
                {kCommandRestoreNow, "Restore Now"},
                {kCommandStepByStep, "Step-by-Step"},
                {0, nullptr},
                {kCommandViewLog, "View Log"},
                {0, nullptr},
                {kCommandExit, "Exit"}};
  for (const auto& item : kItems) {
    if (!item.text) {
      menu_.addSeparator();
      continue;
    }
    QAction* action = menu_.addAction(item.text);
    const int command = item.command;
    connect(action, &QAction::triggered, this, [this, command] { emit commandChosen(command); });
    actions_[command] = action;
  }
  connect(&menu_, &QMenu::aboutToShow, this, &CTrayIcon::UpdateMenu);
  connect(&tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
    if (why == QSystemTrayIcon::DoubleClick) emit commandChosen(defaultCommand_);
  });
  connect(&tray_, &QSystemTrayIcon::messageClicked, this, &CTrayIcon::messageClicked);
}

CTrayIcon::~CTrayIcon() { Remove(); }

void CTrayIcon::ShowMessage(const QString& title, const QString& text,
                            QSystemTrayIcon::MessageIcon icon) {
  tray_.showMessage(title, text, icon, 15000);
}

void CTrayIcon::Create(const QIcon& icon, EnabledRule enabled) {
  enabled_ = std::move(enabled);
  tray_.setContextMenu(&menu_);
  SetIcon(icon);
  UpdateMenu();
  tray_.show();
}

void CTrayIcon::SetIcon(const QIcon& icon) { tray_.setIcon(icon); }

void CTrayIcon::SetToolTip(const QString& tooltip) { tray_.setToolTip(tooltip); }

void CTrayIcon::SetDefaultCommand(int command) {
  defaultCommand_ = command;
  UpdateMenu();
}

void CTrayIcon::Remove() { tray_.hide(); }

QAction* CTrayIcon::action(int command) const {
  const auto found = actions_.find(command);
  return found == actions_.end() ? nullptr : found->second;
}

void CTrayIcon::UpdateMenu() {
  for (const auto& [command, action] : actions_) {
    action->setEnabled(!enabled_ || enabled_(command));
    QFont font = action->font();
    font.setBold(command == defaultCommand_);
    action->setFont(font);
  }
  menu_.setDefaultAction(action(defaultCommand_));
}

}  // namespace bkvp::ui
