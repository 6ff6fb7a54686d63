#include "clients/files/pages/user_questions.h"

#include <QDialog>

#include "platform/ui.h"

namespace bkvp::files::pages {

namespace ui = platform::ui;

void ShowError(const std::string& text) {
  ui::MessageBox(text, "Error", ui::MB_OK | ui::MB_ICONEXCLAMATION);
}

void CancelAskingToSave(QDialog& dialog, bool changed) {
  const int answer = changed
                         ? ui::MessageBox("Data was changed.\nDo you want to save your changes?",
                                          "Warning", ui::MB_YESNOCANCEL | ui::MB_ICONQUESTION)
                         : ui::IDNO;
  if (answer == ui::IDYES)
    dialog.accept();
  else if (answer == ui::IDNO)
    dialog.QDialog::reject();
}

bool ConfirmClearingMasks() {
  return ui::MessageBox("Are you sure you want to clear the list?", "Confirmation",
                        ui::MB_OKCANCEL | ui::MB_ICONQUESTION) == ui::IDOK;
}

}  // namespace bkvp::files::pages
