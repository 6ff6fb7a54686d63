#include "app/ui/wizard/client_pages_panel.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPixmap>
#include <QSignalBlocker>
#include <QStackedWidget>

#include "app/engine/component_objects.h"
#include "app/ui/wizard/page_messages.h"
#include "contract/icons.h"

namespace bkvp::ui {
namespace {

// The icon a client hands over as a handle of the contract's icon table.
QIcon ClientIcon(engine::ClientEntry* client) {
  if (!client) return {};
  const auto handle = engine::ClientInfoNumber(*client, "ClientIcon");
  if (!handle || *handle == 0) return {};
  const auto bytes = IconBytes(static_cast<uint32_t>(*handle));
  QPixmap pixmap;
  if (!bytes || !pixmap.loadFromData(bytes->data(), static_cast<uint>(bytes->size()))) return {};
  return QIcon(pixmap);
}

}  // namespace

ClientPagesPanel::ClientPagesPanel(PageKind kind, QWidget* parent)
    : QWidget(parent),
      kind_(kind),
      list_(new QListWidget),
      pages_(new QStackedWidget),
      noPage_(new QWidget) {
  list_->setObjectName("clientList");
  list_->setIconSize(QSize(24, 24));
  list_->setFixedWidth(170);
  pages_->setObjectName("pageArea");
  pages_->addWidget(noPage_);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(list_);
  layout->addWidget(pages_, 1);
  connect(list_, &QListWidget::currentRowChanged, this, &ClientPagesPanel::OnCurrentRowChanged);
}

void ClientPagesPanel::AddClient(const std::string& name, engine::ClientEntry* client, bool enabled,
                                 bool checked) {
  const QSignalBlocker quiet(list_);
  auto* item = new QListWidgetItem(ClientIcon(client), QString::fromStdString(name), list_);
  item->setCheckState(checked && enabled ? Qt::Checked : Qt::Unchecked);
  if (!enabled) item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable));
  Item entry{client, nullptr};
  if (client && enabled) {
    entry.host = new CCustomCtrl(kind_, pages_);
    pages_->addWidget(entry.host);
    entry.host->CreateClientPage(engine::ServiceOf(*client));
  }
  items_.push_back(entry);
}

void ClientPagesPanel::Clear() {
  const QSignalBlocker quiet(list_);
  list_->clear();
  for (Item& item : items_)
    if (item.host) {
      pages_->removeWidget(item.host);
      delete item.host;
    }
  items_.clear();
  pages_->setCurrentWidget(noPage_);
  currentRow_ = -1;
}

int ClientPagesPanel::count() const { return static_cast<int>(items_.size()); }

bool ClientPagesPanel::IsChecked(int row) const {
  const QListWidgetItem* item = list_->item(row);
  return item && item->checkState() == Qt::Checked;
}

void ClientPagesPanel::ShowFirstChecked() {
  int row = -1;
  for (int i = 0; i < count() && row < 0; ++i)
    if (IsChecked(i)) row = i;
  for (int i = 0; i < count() && row < 0; ++i)
    if (list_->item(i)->flags() & Qt::ItemIsEnabled) row = i;
  MakeCurrent(row);
}

// Hides the page of the client that was current and shows the new one's.
void ClientPagesPanel::MakeCurrent(int row) {
  if (currentRow_ >= 0 && currentRow_ < count() && items_[currentRow_].host)
    items_[currentRow_].host->HidePage();
  currentRow_ = row;
  {
    const QSignalBlocker quiet(list_);
    list_->setCurrentRow(row);
  }
  CCustomCtrl* host = row >= 0 && row < count() ? items_[row].host : nullptr;
  pages_->setCurrentWidget(host ? static_cast<QWidget*>(host) : noPage_);
  if (host) host->ShowPage();
  emit currentClientChanged(host ? items_[row].client : nullptr);
}

void ClientPagesPanel::OnCurrentRowChanged(int row) {
  if (row == currentRow_) return;
  const bool leavingInvalidPage = currentRow_ >= 0 && IsChecked(currentRow_) &&
                                  items_[currentRow_].host && !items_[currentRow_].host->Validate();
  if (leavingInvalidPage) {
    const QSignalBlocker quiet(list_);
    list_->setCurrentRow(currentRow_);
    return;
  }
  MakeCurrent(row);
}

// A page that is valid but cannot store its settings would leave the run
// with the settings of an earlier wizard.
bool ClientPagesPanel::Store(int row) {
  CCustomCtrl* host = items_[row].host;
  if (!host || host->StoreSettings()) return true;
  ShowPageError("The settings of " + items_[row].client->name + " could not be stored.");
  return false;
}

bool ClientPagesPanel::StoreChecked() {
  for (int i = 0; i < count(); ++i)
    if (IsChecked(i) && items_[i].client && !Store(i)) return false;
  return true;
}

bool ClientPagesPanel::CommitChecked(engine::ClientList& clients,
                                     const std::string& nothingCheckedText,
                                     const std::function<bool(engine::ClientEntry&)>& accept) {
  clients.ClearSelection();
  bool any = false;
  for (int i = 0; i < count(); ++i) {
    if (!IsChecked(i) || !items_[i].client) continue;
    any = true;
    engine::ClientEntry& client = *items_[i].client;
    client.selected = true;
    CCustomCtrl* host = items_[i].host;
    const bool kept = (!host || host->Validate()) && Store(i);
    if (!kept || (accept && !accept(client))) {
      MakeCurrent(i);
      return false;
    }
  }
  if (!any) ShowPageWarning(nothingCheckedText);
  return any;
}

}  // namespace bkvp::ui
