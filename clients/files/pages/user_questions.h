// The messages and questions of the files client's pages and dialogs. They
// go through the user-interface seam, so the program shows them as its
// message boxes and tests answer them from a script.
#pragma once

#include <string>

class QDialog;

namespace bkvp::files::pages {

// Caption "Error", exclamation icon, OK.
void ShowError(const std::string& text);

// Cancel of a property dialog: without changes it closes as cancelled;
// with changes it asks "Data was changed." with Yes (the dialog's OK), No
// (close as cancelled) and Cancel (keep the dialog open).
void CancelAskingToSave(QDialog& dialog, bool changed);

// "Are you sure you want to clear the list?" with OK and Cancel.
bool ConfirmClearingMasks();

}  // namespace bkvp::files::pages
