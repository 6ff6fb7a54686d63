// The summary box of the finish pages: read-only text whose items are set
// off by tabs.
#pragma once

#include <QPlainTextEdit>
#include <string>

namespace bkvp::ui {

class SummaryView : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit SummaryView(QWidget* parent = nullptr);
  void Show(const std::string& text);
};

}  // namespace bkvp::ui
