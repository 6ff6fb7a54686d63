#include "tests/ui/ui_test_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtGlobal>

namespace bkvp::testing {

IsolatedState::IsolatedState() {
  QDir().mkpath(home());
  QDir().mkpath(config());
  qputenv("BKVP_HOME", QFile::encodeName(home()));
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config()));
}

IsolatedState::~IsolatedState() {
  qunsetenv("BKVP_HOME");
  qunsetenv("XDG_CONFIG_HOME");
}

QString BuiltProgram(const QString& name) {
  const QString folder = qEnvironmentVariable("BKVP_BIN_DIR", BKVP_TEST_BIN_DIR);
  return folder + "/" + name;
}

ToolResult RunBuilt(const QString& name, const QStringList& arguments) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(BuiltProgram(name), arguments);
  ToolResult result;
  if (!process.waitForFinished(60000)) {
    process.kill();
    process.waitForFinished();
    result.output = "did not finish: " + process.readAll();
    return result;
  }
  result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  result.output = process.readAll();
  return result;
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& data) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(data);
}

}  // namespace bkvp::testing
