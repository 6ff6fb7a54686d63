#include "tests/clients/common/pages/page_shots.h"

#include <stdlib.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <cstdio>
#include <filesystem>

namespace bkvp::testing {

namespace {

// Without a desktop session Qt knows no icon theme; the installed one makes
// the pictures look as they do on a desktop.
void UseInstalledIconTheme() {
  if (!QIcon::themeName().isEmpty() && QIcon::themeName() != "hicolor") return;
  QStringList paths = QIcon::themeSearchPaths();
  paths << "/usr/share/icons";
  QIcon::setThemeSearchPaths(paths);
  for (const char* theme : {"Adwaita", "hicolor"}) {
    if (QDir("/usr/share/icons/" + QString(theme)).exists()) {
      QIcon::setThemeName(theme);
      return;
    }
  }
}

}  // namespace

void Shots::Save(QWidget& widget, const QString& name) {
  widget.show();
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  const QString path = folder_ + "/" + name;
  if (!widget.grab().save(path)) {
    std::fprintf(stderr, "%s: cannot write %s\n", qPrintable(program_), qPrintable(path));
    failed_ = true;
  }
  widget.hide();
}

int RunScreenshotProgram(int argc, char** argv, const std::function<int(const QString&)>& shoot) {
  const QString program = QFileInfo(argv[0]).fileName();
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTDIR\n", qPrintable(program));
    return 2;
  }
  const bool display =
      !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !display)
    qputenv("QT_QPA_PLATFORM", "offscreen");
  // What the pages show lives in a registry of its own, removed afterwards.
  char home[] = "/tmp/bkvp-shots-XXXXXX";
  if (!mkdtemp(home)) return 1;
  setenv("BKVP_HOME", home, 1);
  int status = 1;
  {
    QApplication app(argc, argv);
    UseInstalledIconTheme();
    QDir().mkpath(argv[1]);
    status = shoot(QDir(argv[1]).absolutePath());
  }
  std::error_code ec;
  std::filesystem::remove_all(home, ec);
  return status;
}

}  // namespace bkvp::testing
