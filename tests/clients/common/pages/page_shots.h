// What the screenshot programs of the client pages share: saving a widget
// as a PNG file, a page framed as the wizard hosts it, and the program's
// frame (a display if there is one, else offscreen rendering, and a registry
// of its own in a temporary BKVP_HOME).
#pragma once

#include <QSize>
#include <QString>
#include <QVBoxLayout>
#include <QWidget>
#include <functional>

namespace bkvp::testing {

class Shots {
 public:
  Shots(QString program, QString folder)
      : program_(std::move(program)), folder_(std::move(folder)) {}

  // Shows the widget at its size, lets it settle and saves it as `name`.
  void Save(QWidget& widget, const QString& name);
  bool failed() const { return failed_; }

 private:
  QString program_;
  QString folder_;
  bool failed_ = false;
};

// A page as the wizard hosts it: inside a window with the wizard's margins.
template <class Page>
Page& InFrame(QWidget& frame, QSize size) {
  auto* page = new Page(&frame);
  auto* layout = new QVBoxLayout(&frame);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->addWidget(page);
  frame.resize(size);
  return *page;
}

// main() of a screenshot program "PROGRAM OUTDIR": runs `shoot` with the
// output folder's absolute path and returns its status (2 for a wrong
// command line).
int RunScreenshotProgram(int argc, char** argv, const std::function<int(const QString&)>& shoot);

}  // namespace bkvp::testing
