// The progress display of the finish pages: a bar over the whole run (0 to
// 10000) and the object being worked on; questions of the run come up as the
// program's dialogs.
#pragma once

#include <QWidget>
#include <functional>

#include "app/engine/cancel_request.h"
#include "app/engine/run_outcome.h"
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
  // Back to an empty bar and no text, before a run.
  void Reset();

  using Run =
      std::function<engine::RunOutcome(engine::ProgressDisplay*, const engine::CancelRequest*)>;
  // Carries out a finish page's run on this display while the sheet lets
  // Cancel stop it, then says what went wrong, if anything. False when the
  // run could not start: the user stays on the page.
  bool Drive(CBkRsPropSheet& sheet, engine::WizardRun kind, const Run& run);

  QProgressBar* bar() const { return bar_; }

 private:
  QProgressBar* bar_;
  QLabel* object_;
};

}  // namespace bkvp::ui
