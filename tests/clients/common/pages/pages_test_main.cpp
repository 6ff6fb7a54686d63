// The pages need a Qt application object before any widget exists; the
// tests run without a display.
#include <gtest/gtest.h>

#include <QApplication>

namespace {

QtMessageHandler standardHandler = nullptr;

// The offscreen platform reports every window feature it lacks; those notes
// say nothing about the pages.
void QuietAboutThePlatform(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (text.startsWith("This plugin does not support")) return;
  if (standardHandler) standardHandler(type, context, text);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  standardHandler = qInstallMessageHandler(QuietAboutThePlatform);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
