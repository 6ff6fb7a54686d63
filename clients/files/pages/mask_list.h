// One mask list of the folder properties (include or exclude): rows of
// "Type" (the mask) and "Description" with the type's icon, and the add,
// edit, delete and clear buttons. A mask enters the list only when the
// backup list's mask check accepts it ("*.*" enters the include list only as
// its default); the list tells the user which rule refused it.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "clients/files/pages/mask_input_dialog.h"

class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace bkvp::files::pages {

class MaskTypes;

class MaskList : public QWidget {
  Q_OBJECT

 public:
  MaskList(MaskSide side, MaskTypes& types, QWidget* parent);

  // The masks of a stored entry, a mask already in the list skipped. Emits nothing.
  void ShowMasks(const std::string& joined);
  // The rows' masks in list order, joined by " | ".
  std::string JoinedMasks() const;

 signals:
  // The user added, changed or removed rows.
  void changed();

 private:
  void AddMask();
  void EditMask();
  void DeleteMasks();
  void ClearMasks();
  void AddRow(const QString& mask);
  void ShowRow(QTreeWidgetItem* row, const QString& mask);
  // Whether `mask` may enter the list in place of row `replacing` (or as a
  // new row when null).
  bool Accepts(const QString& mask, bool showMessages, const QTreeWidgetItem* replacing) const;
  // The masks of every row but `except`, in list order.
  std::vector<std::string> MasksExcept(const QTreeWidgetItem* except) const;
  void UpdateButtons();

  MaskSide side_;
  MaskTypes& types_;
  QTreeWidget* rows_;
  QToolButton* add_;
  QToolButton* edit_;
  QToolButton* delete_;
  QToolButton* clear_;
};

}  // namespace bkvp::files::pages
