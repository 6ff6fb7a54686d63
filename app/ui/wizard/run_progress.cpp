#include "app/ui/wizard/run_progress.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "app/engine/last_run.h"
#include "app/ui/wizard/bk_rs_prop_sheet.h"
#include "app/ui/wizard/page_messages.h"

namespace bkvp::ui {

RunProgress::RunProgress(QWidget* parent)
    : QWidget(parent), bar_(new QProgressBar), object_(new QLabel), result_(new QLabel) {
  bar_->setObjectName("progress");
  bar_->setRange(0, 10000);
  bar_->setTextVisible(false);
  object_->setObjectName("currentObject");
  // Long paths must not widen the wizard: the label is cut to the page.
  object_->setMinimumWidth(1);
  object_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  result_->setObjectName("runResult");
  result_->setWordWrap(true);
  result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(bar_);
  layout->addWidget(object_);
  layout->addWidget(result_);
  Reset();
}

void RunProgress::SetPosition(int position) {
  bar_->setValue(position);
  emit positionChanged(position);
}

void RunProgress::SetText(const std::string& text) {
  const QString full = QString::fromStdString(text);
  object_->setToolTip(full);
  object_->setText(
      object_->fontMetrics().elidedText(full, Qt::ElideMiddle, std::max(object_->width(), 100)));
}

void RunProgress::Reset() {
  bar_->setValue(0);
  object_->clear();
  object_->show();
  result_->clear();
  result_->hide();
}

QString RunProgress::resultText() const { return result_->text(); }

engine::RunOutcome RunProgress::Drive(CBkRsPropSheet& sheet, const engine::RunSubject& subject,
                                      const Run& run) {
  engine::RunOutcome outcome;
  {
    const CBkRsPropSheet::RunScope scope(sheet);
    Reset();
    outcome = run(this, scope.cancel());
  }
  object_->hide();
  result_->setText(QString::fromStdString(engine::RunEndLine(subject, outcome)));
  result_->show();
  const engine::WizardRun kind = subject.kind == engine::RunKind::kBackup
                                     ? engine::WizardRun::kBackup
                                     : engine::WizardRun::kRestore;
  if (const std::string notice = engine::RunNotice(outcome, kind); !notice.empty())
    ShowPageError(notice);
  if (outcome.result != engine::RunResult::kCouldNotStart) sheet.ShowRunEnded();
  return outcome;
}

QString RunTitle(engine::RunKind kind, const engine::RunOutcome* ended) {
  const bool backup = kind == engine::RunKind::kBackup;
  if (!ended) return backup ? "Backing up..." : "Restoring...";
  return QString(backup ? "Backup " : "Restore ") +
         QString::fromStdString(engine::ResultWords(ended->result));
}

}  // namespace bkvp::ui
