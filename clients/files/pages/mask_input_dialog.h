// Dialog 119, the mask box of the folder properties: one wildcard mask to add
// to or change in the include or exclude list. Its caption and label tell
// which ("Input Box: Include mask", "Edit Box: Exclude mask"). OK refuses an
// empty text, ends as cancelled when the text is unchanged, takes text
// without a dot as an extension ("txt" becomes "*.txt") and ends only when
// the list accepts the mask; Cancel after a change that the list would
// accept asks whether to keep it.
#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;

namespace bkvp::files::pages {

enum class MaskSide { kInclude, kExclude };

class MaskInputDialog : public QDialog {
  Q_OBJECT

 public:
  // Whether the list takes the mask; with showMessages it tells the user why not.
  using Acceptance = std::function<bool(const QString& mask, bool showMessages)>;

  MaskInputDialog(QWidget* parent, bool editing, MaskSide side, const QString& text,
                  Acceptance accepts);

  // The mask entered, once the dialog ended with OK.
  const QString& Mask() const { return mask_; }

  void accept() override;  // OK
  void reject() override;  // Cancel, Escape, closing the window

 private:
  // Surrounding white space is dropped: stored masks are read back trimmed.
  QString Text() const;

  QLineEdit* edit_;
  QString initial_;
  Acceptance accepts_;
  QString mask_;
};

}  // namespace bkvp::files::pages
