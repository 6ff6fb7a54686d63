#include "app/ui/event_trace.h"

#include <QFile>
#include <QtGlobal>

namespace bkvp::ui {

void TraceEvent(const QString& line) {
  static const QString path = qEnvironmentVariable("BKVP_UI_TRACE");
  if (path.isEmpty()) return;
  QFile file(path);
  if (file.open(QIODevice::Append | QIODevice::Text)) file.write((line + "\n").toUtf8());
}

}  // namespace bkvp::ui
