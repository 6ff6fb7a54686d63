#include "app/ui/wizard/summary_view.h"

namespace bkvp::ui {

SummaryView::SummaryView(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName("summary");
  setReadOnly(true);
  setTabStopDistance(fontMetrics().horizontalAdvance("MMM"));
}

void SummaryView::Show(const std::string& text) { setPlainText(QString::fromStdString(text)); }

}  // namespace bkvp::ui
