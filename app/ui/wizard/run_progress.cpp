#include "app/ui/wizard/run_progress.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "app/ui/wizard/bk_rs_prop_sheet.h"
#include "app/ui/wizard/page_messages.h"

namespace bkvp::ui {

RunProgress::RunProgress(QWidget* parent)
    : QWidget(parent), bar_(new QProgressBar), object_(new QLabel) {
  bar_->setObjectName("progress");
  bar_->setRange(0, 10000);
  bar_->setTextVisible(false);
  object_->setObjectName("currentObject");
  // Long paths must not widen the wizard: the label is cut to the page.
  object_->setMinimumWidth(1);
  object_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(bar_);
  layout->addWidget(object_);
  Reset();
}

void RunProgress::SetPosition(int position) { bar_->setValue(position); }

void RunProgress::SetText(const std::string& text) {
  const QString full = QString::fromStdString(text);
  object_->setToolTip(full);
  object_->setText(
      object_->fontMetrics().elidedText(full, Qt::ElideMiddle, std::max(object_->width(), 100)));
}

void RunProgress::Reset() {
  bar_->setValue(0);
  object_->clear();
}

bool RunProgress::Drive(CBkRsPropSheet& sheet, engine::WizardRun kind, const Run& run) {
  engine::RunOutcome outcome;
  {
    const CBkRsPropSheet::RunScope scope(sheet);
    Reset();
    outcome = run(this, scope.cancel());
  }
  if (const std::string notice = engine::RunNotice(outcome, kind); !notice.empty())
    ShowPageError(notice);
  return outcome.result != engine::RunResult::kCouldNotStart;
}

}  // namespace bkvp::ui
