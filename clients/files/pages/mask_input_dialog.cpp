#include "clients/files/pages/mask_input_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "clients/files/list_rules.h"
#include "clients/files/pages/page_controls.h"
#include "clients/files/pages/user_questions.h"

namespace bkvp::files::pages {

MaskInputDialog::MaskInputDialog(QWidget* parent, bool editing, MaskSide side, const QString& text,
                                 Acceptance accepts)
    : QDialog(parent),
      edit_(new QLineEdit(text, this)),
      initial_(text),
      accepts_(std::move(accepts)) {
  setWindowTitle(QString(editing ? "Edit Box" : "Input Box") + ": " +
                 (side == MaskSide::kInclude ? "Include" : "Exclude") + " mask");
  edit_->setMaxLength(static_cast<int>(kMaxMaskLength));
  edit_->setMinimumWidth(260);
  auto* label = new QLabel(editing ? "Edit mask" : "Enter mask", this);
  label->setBuddy(edit_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(edit_);
  layout->addWidget(OkCancelButtons(this));
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString MaskInputDialog::Text() const { return edit_->text().trimmed(); }

void MaskInputDialog::accept() {
  QString text = Text();
  if (text.isEmpty()) {
    ShowError("The value cannot be empty.");
    return;
  }
  if (text == initial_) {
    done(Rejected);
    return;
  }
  text = QString::fromStdString(CompleteMask(text.toStdString()));
  edit_->setText(text);
  if (!accepts_(text, true)) return;
  mask_ = text;
  QDialog::accept();
}

void MaskInputDialog::reject() {
  const QString text = Text();
  CancelAskingToSave(*this, text != initial_ && accepts_(text, false));
}

}  // namespace bkvp::files::pages
