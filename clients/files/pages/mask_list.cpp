#include "clients/files/pages/mask_list.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "clients/files/backup_entry.h"
#include "clients/files/list_rules.h"
#include "clients/files/pages/mask_types.h"
#include "clients/files/pages/page_controls.h"
#include "clients/files/pages/page_icons.h"
#include "clients/files/pages/user_questions.h"

namespace bkvp::files::pages {

namespace {

constexpr const char* kAllFiles = "*.*";
constexpr int kIconSize = 16;

}  // namespace

MaskList::MaskList(MaskSide side, MaskTypes& types, QWidget* parent)
    : QWidget(parent),
      side_(side),
      types_(types),
      rows_(new QTreeWidget(this)),
      add_(IconButton(this, AddMaskIcon(), "Add", kIconSize)),
      edit_(IconButton(this, EditMaskIcon(), "Edit", kIconSize)),
      delete_(IconButton(this, DeleteMaskIcon(), "Delete", kIconSize)),
      clear_(IconButton(this, ClearMasksIcon(), "Clear", kIconSize)) {
  rows_->setHeaderLabels({"Type", "Description"});
  rows_->setRootIsDecorated(false);
  rows_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  rows_->header()->resizeSection(0, 80);
  rows_->setMinimumHeight(96);

  auto* buttons = new QVBoxLayout;
  for (QToolButton* button : {add_, edit_, delete_, clear_}) buttons->addWidget(button);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(rows_, 1);
  layout->addLayout(buttons);

  connect(add_, &QToolButton::clicked, this, &MaskList::AddMask);
  connect(edit_, &QToolButton::clicked, this, &MaskList::EditMask);
  connect(delete_, &QToolButton::clicked, this, &MaskList::DeleteMasks);
  connect(clear_, &QToolButton::clicked, this, &MaskList::ClearMasks);
  connect(rows_, &QTreeWidget::itemDoubleClicked, this, [this] {
    if (edit_->isEnabled()) EditMask();
  });
  connect(rows_, &QTreeWidget::itemSelectionChanged, this, &MaskList::UpdateButtons);
  UpdateButtons();
}

void MaskList::ShowMasks(const std::string& joined) {
  rows_->clear();
  for (const std::string& mask : SplitMasks(joined)) {
    const std::vector<std::string> shown = MasksExcept(nullptr);
    if (std::find(shown.begin(), shown.end(), mask) == shown.end())
      AddRow(QString::fromStdString(mask));
  }
  UpdateButtons();
}

std::string MaskList::JoinedMasks() const { return JoinMasks(MasksExcept(nullptr)); }

void MaskList::AddRow(const QString& mask) { ShowRow(new QTreeWidgetItem(rows_), mask); }

void MaskList::ShowRow(QTreeWidgetItem* row, const QString& mask) {
  row->setText(0, mask);
  row->setText(1, types_.Description(mask));
  row->setIcon(0, types_.Icon(mask));
}

std::vector<std::string> MaskList::MasksExcept(const QTreeWidgetItem* except) const {
  std::vector<std::string> masks;
  for (int i = 0; i < rows_->topLevelItemCount(); ++i)
    if (rows_->topLevelItem(i) != except)
      masks.push_back(rows_->topLevelItem(i)->text(0).toStdString());
  return masks;
}

bool MaskList::Accepts(const QString& mask, bool showMessages,
                       const QTreeWidgetItem* replacing) const {
  const MaskProblem problem = CheckMask(mask.toStdString(), MasksExcept(replacing));
  if (problem != MaskProblem::kNone && showMessages) ShowError(MaskProblemText(problem));
  return problem == MaskProblem::kNone;
}

void MaskList::AddMask() {
  MaskInputDialog dialog(window(), false, side_, QString(), [this](const QString& mask, bool show) {
    return Accepts(mask, show, nullptr);
  });
  if (dialog.exec() != QDialog::Accepted) return;
  AddRow(dialog.Mask());
  UpdateButtons();
  emit changed();
}

void MaskList::EditMask() {
  const QList<QTreeWidgetItem*> selected = rows_->selectedItems();
  if (selected.size() != 1) return;
  QTreeWidgetItem* row = selected.first();
  MaskInputDialog dialog(
      window(), true, side_, row->text(0),
      [this, row](const QString& mask, bool show) { return Accepts(mask, show, row); });
  if (dialog.exec() != QDialog::Accepted) return;
  ShowRow(row, dialog.Mask());
  emit changed();
}

void MaskList::DeleteMasks() {
  const QList<QTreeWidgetItem*> selected = rows_->selectedItems();
  if (selected.isEmpty()) return;
  qDeleteAll(selected);
  UpdateButtons();
  emit changed();
}

void MaskList::ClearMasks() {
  if (!ConfirmClearingMasks()) return;
  rows_->clear();
  if (side_ == MaskSide::kInclude) AddRow(kAllFiles);
  UpdateButtons();
  emit changed();
}

void MaskList::UpdateButtons() {
  const int selected = static_cast<int>(rows_->selectedItems().size());
  edit_->setEnabled(selected == 1);
  delete_->setEnabled(selected >= 1);
  clear_->setEnabled(rows_->topLevelItemCount() > 0);
}

}  // namespace bkvp::files::pages
