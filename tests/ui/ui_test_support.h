// What the program's tests share: a fresh state folder and desktop config
// folder per test case, and the built programs.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <QtGlobal>

namespace bkvp::testing {

// Points BKVP_HOME and XDG_CONFIG_HOME into a new temporary folder for the
// object's lifetime; child processes inherit both.
class IsolatedState {
 public:
  IsolatedState();
  ~IsolatedState();
  IsolatedState(const IsolatedState&) = delete;
  IsolatedState& operator=(const IsolatedState&) = delete;

  QString home() const { return root_.path() + "/home"; }
  QString config() const { return root_.path() + "/config"; }
  // A path inside the temporary folder, beside home and config.
  QString path(const QString& relative) const { return root_.path() + "/" + relative; }

 private:
  QTemporaryDir root_;
};

// A program of the build (BackupVopal, bkvp).
QString BuiltProgram(const QString& name);

struct ToolResult {
  int exitCode = -1;
  QByteArray output;  // stdout and stderr together
};
// Runs a built program to its end (at most 60 s).
ToolResult RunBuilt(const QString& name, const QStringList& arguments);

// The child widget of `parent` with this object name; the test process
// ends when there is none.
template <class W>
W* Find(QWidget* parent, const QString& name) {
  W* found = parent->findChild<W*>(name);
  if (!found) qFatal("no widget %s", qPrintable(name));
  return found;
}

// A child widget whose text reads `text` (a page module's own widgets carry
// no names); the test process ends when there is none.
template <class W>
W* WithText(QWidget* parent, const QString& text) {
  for (W* widget : parent->findChildren<W*>())
    if (widget->text() == text) return widget;
  qFatal("no widget reads %s", qPrintable(text));
}

QByteArray ReadAll(const QString& path);
void WriteAll(const QString& path, const QByteArray& data);

}  // namespace bkvp::testing
