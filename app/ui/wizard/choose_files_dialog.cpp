#include "app/ui/wizard/choose_files_dialog.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileIconProvider>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <map>

namespace bkvp::ui {
namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kIsFileRole = Qt::UserRole + 1;

void CollectPatterns(const QTreeWidgetItem* item, std::vector<engine::PathPattern>& patterns) {
  if (item->checkState(0) == Qt::Unchecked) return;
  if (item->checkState(0) == Qt::Checked) {
    patterns.emplace_back(item->data(0, kPathRole).toString().toStdString());
    return;
  }
  for (int i = 0; i < item->childCount(); ++i) CollectPatterns(item->child(i), patterns);
}

int CountChecked(const QTreeWidgetItem* item) {
  if (item->data(0, kIsFileRole).toBool()) return item->checkState(0) == Qt::Checked ? 1 : 0;
  int count = 0;
  for (int i = 0; i < item->childCount(); ++i) count += CountChecked(item->child(i));
  return count;
}

// Shows the items whose path holds the text, with the folders above them.
bool ShowMatching(QTreeWidgetItem* item, const QString& text) {
  bool any =
      text.isEmpty() || item->data(0, kPathRole).toString().contains(text, Qt::CaseInsensitive);
  for (int i = 0; i < item->childCount(); ++i) any |= ShowMatching(item->child(i), text);
  item->setHidden(!any);
  return any;
}

}  // namespace

ChooseFilesDialog::ChooseFilesDialog(const std::vector<engine::ArchivedFile>& files,
                                     const std::vector<engine::PathPattern>& chosen,
                                     QWidget* parent)
    : QDialog(parent),
      tree_(new QTreeWidget),
      filter_(new QLineEdit),
      count_(new QLabel),
      fileCount_(int(files.size())) {
  setObjectName("chooseFiles");
  setWindowTitle("Choose files to restore");
  tree_->setObjectName("archiveFiles");
  tree_->setHeaderLabels({"Name", "Size", "Modified"});
  tree_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  tree_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  tree_->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  tree_->setUniformRowHeights(true);
  filter_->setObjectName("filter");
  filter_->setPlaceholderText("Show only names that contain...");
  filter_->setClearButtonEnabled(true);
  count_->setObjectName("count");

  const QFileIconProvider icons;
  const QIcon folderIcon = icons.icon(QFileIconProvider::Folder);
  const QIcon fileIcon = icons.icon(QFileIconProvider::File);
  std::map<QString, QTreeWidgetItem*> folders;
  // The folder item of a path, made with the folders above it when needed.
  std::function<QTreeWidgetItem*(const QString&)> folderItem = [&](const QString& path) {
    if (path.isEmpty() || path == "/") return static_cast<QTreeWidgetItem*>(nullptr);
    if (auto found = folders.find(path); found != folders.end()) return found->second;
    const int slash = path.lastIndexOf('/');
    QTreeWidgetItem* parentItem = folderItem(slash > 0 ? path.left(slash) : QString());
    auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(tree_);
    item->setText(0, slash >= 0 ? path.mid(slash + 1) : path);
    item->setIcon(0, folderIcon);
    item->setData(0, kPathRole, path);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsAutoTristate);
    item->setCheckState(0, Qt::Checked);
    folders[path] = item;
    return item;
  };
  for (const engine::ArchivedFile& file : files) {
    const QString path = QString::fromStdString(file.path);
    const int slash = path.lastIndexOf('/');
    QTreeWidgetItem* parentItem = folderItem(slash > 0 ? path.left(slash) : QString());
    auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(tree_);
    item->setText(0, path.mid(slash + 1));
    item->setToolTip(0, path);
    item->setIcon(0, fileIcon);
    item->setText(1, QLocale().formattedDataSize(qint64(file.size)));
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    item->setText(
        2, QLocale().toString(QDateTime::fromSecsSinceEpoch(file.modified), QLocale::ShortFormat));
    item->setData(0, kPathRole, path);
    item->setData(0, kIsFileRole, true);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(
        0, chosen.empty() || engine::AnyMatches(chosen, file.path) ? Qt::Checked : Qt::Unchecked);
  }
  tree_->sortItems(0, Qt::AscendingOrder);
  tree_->expandToDepth(2);

  auto* all = new QPushButton("Check &all");
  auto* none = new QPushButton("Check &none");
  for (QPushButton* button : {all, none}) button->setAutoDefault(false);
  const auto checkAll = [this](Qt::CheckState state) {
    for (int i = 0; i < tree_->topLevelItemCount(); ++i)
      tree_->topLevelItem(i)->setCheckState(0, state);
  };
  connect(all, &QPushButton::clicked, this, [checkAll] { checkAll(Qt::Checked); });
  connect(none, &QPushButton::clicked, this, [checkAll] { checkAll(Qt::Unchecked); });
  connect(filter_, &QLineEdit::textChanged, this, &ChooseFilesDialog::Filter);
  connect(tree_, &QTreeWidget::itemChanged, this, &ChooseFilesDialog::ShowCount);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* row = new QHBoxLayout;
  row->addWidget(filter_, 1);
  row->addWidget(all);
  row->addWidget(none);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Only the checked files are restored, this time."));
  layout->addLayout(row);
  layout->addWidget(tree_, 1);
  layout->addWidget(count_);
  layout->addWidget(buttons);
  resize(640, 480);
  ShowCount();
}

std::vector<engine::PathPattern> ChooseFilesDialog::Patterns() const {
  if (checkedFiles() == fileCount_) return {};
  std::vector<engine::PathPattern> patterns;
  for (int i = 0; i < tree_->topLevelItemCount(); ++i)
    CollectPatterns(tree_->topLevelItem(i), patterns);
  return patterns;
}

int ChooseFilesDialog::checkedFiles() const {
  int count = 0;
  for (int i = 0; i < tree_->topLevelItemCount(); ++i)
    count += CountChecked(tree_->topLevelItem(i));
  return count;
}

QTreeWidgetItem* ChooseFilesDialog::Item(const QString& path) const {
  for (QTreeWidgetItemIterator it(tree_); *it; ++it)
    if ((*it)->data(0, kPathRole).toString() == path) return *it;
  return nullptr;
}

void ChooseFilesDialog::Filter(const QString& text) {
  for (int i = 0; i < tree_->topLevelItemCount(); ++i) ShowMatching(tree_->topLevelItem(i), text);
  if (!text.isEmpty()) tree_->expandAll();
}

void ChooseFilesDialog::ShowCount() {
  const int checked = checkedFiles();
  count_->setText(QString("%1 of %2 files checked").arg(checked).arg(fileCount_));
  if (auto* ok = findChild<QDialogButtonBox*>())
    ok->button(QDialogButtonBox::Ok)->setEnabled(checked > 0);
}

}  // namespace bkvp::ui
