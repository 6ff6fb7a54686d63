// For scripts/screenshots: saves part of the X screen as PNG.
//   bkvp_screen_grab OUT.png X Y W H
//   bkvp_screen_grab --window ID OUT.png        (a top-level window and its frame)
//   bkvp_screen_grab --blink OUT_NORMAL.png OUT_ATTENTION.png X Y W H
// --blink grabs the region until it has caught both images of the blinking
// tray icon, told apart by the attention image's orange.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <cstdio>

namespace {

QImage Grab(const QStringList& rect) {
  QScreen* screen = QGuiApplication::primaryScreen();
  return screen->grabWindow(0, rect[0].toInt(), rect[1].toInt(), rect[2].toInt(), rect[3].toInt())
      .toImage();
}

bool ShowsAttention(const QImage& image) {
  int orange = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() > 200 && c.green() > 60 && c.green() < 120 && c.blue() < 60) ++orange;
    }
  return orange > 20;
}

int Usage() {
  std::fprintf(stderr,
               "usage: bkvp_screen_grab OUT.png X Y W H | --window ID OUT.png |"
               " --blink NORMAL.png ATTENTION.png X Y W H\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  if (args.size() == 3 && args[0] == "--window") {
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(args[1].toULongLong(0));
    return shot.save(args[2]) ? 0 : 1;
  }
  if (args.size() == 5) return Grab(args.mid(1)).save(args[0]) ? 0 : 1;
  if (args.size() != 7 || args[0] != "--blink") return Usage();
  bool haveNormal = false, haveAttention = false;
  for (int attempt = 0; attempt < 60 && !(haveNormal && haveAttention); ++attempt) {
    const QImage image = Grab(args.mid(3));
    const bool attention = ShowsAttention(image);
    if (attention && !haveAttention) haveAttention = image.save(args[2]);
    if (!attention && !haveNormal) haveNormal = image.save(args[1]);
    QThread::msleep(90);
  }
  return haveNormal && haveAttention ? 0 : 1;
}
