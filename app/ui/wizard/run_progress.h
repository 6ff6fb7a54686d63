// The progress display of the finish pages: a bar over the whole run (0 to
// 10000) and the object being worked on while it runs, then the line that
// says how it ended; questions of the run come up as the program's dialogs.
#pragma once

#include <QWidget>
#include <functional>

#include "app/engine/cancel_request.h"
#include "app/engine/run_outcome.h"
#include "app/engine/run_summary_text.h"
#include "app/engine/wizard_summary.h"
#include "app/ui/qt_progress_display.h"

class QLabel;
class QProgressBar;

namespace bkvp::ui {

class CBkRsPropSheet;

class RunProgress : public QWidget, public QtProgressDisplay {
  Q_OBJECT

 public:
  explicit RunProgress(QWidget* parent = nullptr);

  void SetPosition(int position) override;
  void SetText(const std::string& text) override;
  // Back to an empty bar, no text and no result, before a run.
  void Reset();

  using Run =
      std::function<engine::RunOutcome(engine::ProgressDisplay*, const engine::CancelRequest*)>;
  // Carries out a finish page's run on this display while the sheet lets
  // Cancel stop it, shows how it ended and says what went wrong, if
  // anything. A run that started leaves the sheet showing its end.
  engine::RunOutcome Drive(CBkRsPropSheet& sheet, const engine::RunSubject& subject,
                           const Run& run);

  QProgressBar* bar() const { return bar_; }
  // The line that says how the last run ended; empty before one.
  QString resultText() const;

 signals:
  void positionChanged(int position);

 private:
  QProgressBar* bar_;
  QLabel* object_;
  QLabel* result_;
};

// The finish page's title once its run started: "Backing up..." while it
// works, then "Backup completed", "Restore completed with failures", ...
QString RunTitle(engine::RunKind kind, const engine::RunOutcome* ended);

}  // namespace bkvp::ui
