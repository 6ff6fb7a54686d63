#include "app/ui/log_viewer.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QUrl>
#include <QVBoxLayout>

#include "app/ui/tray_artwork.h"

namespace bkvp::ui {

LogViewer::LogViewer(const QString& path, QWidget* parent)
    : QDialog(parent),
      path_(path),
      text_(new QPlainTextEdit),
      search_(new QLineEdit),
      notFound_(new QLabel("Not found")) {
  setObjectName("logViewer");
  setWindowTitle("Backup Vopal log");
  setWindowIcon(ProgramIcon());
  text_->setObjectName("logText");
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  search_->setObjectName("search");
  search_->setPlaceholderText("Find in the log");
  search_->setClearButtonEnabled(true);
  notFound_->setObjectName("notFound");
  notFound_->hide();
  auto* findNext = new QPushButton("&Find next");
  findNext->setObjectName("findNext");
  findNext->setAutoDefault(false);

  auto* buttons = new QDialogButtonBox;
  QPushButton* editor = buttons->addButton("Open in &editor", QDialogButtonBox::ActionRole);
  editor->setObjectName("openInEditor");
  QPushButton* copy = buttons->addButton("&Copy", QDialogButtonBox::ActionRole);
  copy->setObjectName("copy");
  buttons->addButton(QDialogButtonBox::Close);
  for (QAbstractButton* button : buttons->buttons())
    if (auto* push = qobject_cast<QPushButton*>(button)) push->setAutoDefault(false);

  connect(search_, &QLineEdit::returnPressed, this, &LogViewer::FindNext);
  connect(search_, &QLineEdit::textChanged, notFound_, &QWidget::hide);
  connect(findNext, &QPushButton::clicked, this, &LogViewer::FindNext);
  connect(editor, &QPushButton::clicked, this,
          [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(path_)); });
  connect(copy, &QPushButton::clicked, this, [this] {
    const QTextCursor selection = text_->textCursor();
    QApplication::clipboard()->setText(selection.hasSelection() ? selection.selectedText()
                                                                : text_->toPlainText());
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* searchRow = new QHBoxLayout;
  searchRow->addWidget(search_, 1);
  searchRow->addWidget(findNext);
  searchRow->addWidget(notFound_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QString("The log of the last run, %1").arg(path_)));
  layout->addWidget(text_, 1);
  layout->addLayout(searchRow);
  layout->addWidget(buttons);
  resize(720, 480);
  Reload();
}

void LogViewer::Reload() {
  QFile file(path_);
  QString content;
  if (file.open(QIODevice::ReadOnly))
    content = QString::fromUtf8(file.readAll());
  else
    content = QString("The log %1 cannot be read: %2").arg(path_, file.errorString());
  if (content == text_->toPlainText()) return;
  const bool atEnd = text_->verticalScrollBar()->value() == text_->verticalScrollBar()->maximum();
  text_->setPlainText(content);
  // The end of a log tells how the run ended.
  if (atEnd) text_->verticalScrollBar()->setValue(text_->verticalScrollBar()->maximum());
}

void LogViewer::FindNext() {
  const QString wanted = search_->text();
  if (wanted.isEmpty()) return;
  bool found = text_->find(wanted);
  if (!found) {  // on from the top
    QTextCursor top = text_->textCursor();
    top.movePosition(QTextCursor::Start);
    text_->setTextCursor(top);
    found = text_->find(wanted);
  }
  notFound_->setVisible(!found);
}

}  // namespace bkvp::ui
