// CTrayIcon: the program's icon in the notification area, its menu "Tray"
// and the default command that a double-click gives and the menu shows in
// bold.
#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <functional>
#include <map>

namespace bkvp::ui {

class CTrayIcon : public QObject {
  Q_OBJECT
 public:
  // Asked for every item just before the menu shows.
  using EnabledRule = std::function<bool(int command)>;

  explicit CTrayIcon(QObject* parent = nullptr);
  ~CTrayIcon() override;

  // Adds the icon. Without a notification area it stays hidden; the
  // desktop's tray may still appear later and then shows it.
  void Create(const QIcon& icon, EnabledRule enabled);
  void SetIcon(const QIcon& icon);
  void SetToolTip(const QString& tooltip);
  void SetDefaultCommand(int command);
  // A notification beside the icon (nothing without a notification area).
  void ShowMessage(const QString& title, const QString& text, QSystemTrayIcon::MessageIcon icon);
  void Remove();

  int defaultCommand() const { return defaultCommand_; }
  QString tooltip() const { return tray_.toolTip(); }
  QMenu* menu() { return &menu_; }
  QAction* action(int command) const;
  // Applies the enabling rule and the bold default item.
  void UpdateMenu();

 signals:
  void commandChosen(int command);
  void messageClicked();

 private:
  QSystemTrayIcon tray_;
  QMenu menu_;
  std::map<int, QAction*> actions_;
  EnabledRule enabled_;
  int defaultCommand_;
};

}  // namespace bkvp::ui
