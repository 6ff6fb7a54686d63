// The check list of clients with each client's own page beside it, as both
// client pages of the wizard show them: the backup page of every present
// client, or the restore page of every client an archive holds.
//
// Switching rule: while the current client is checked and its page is not
// valid, no other client can be made current. (A click on another client's
// check box only sets its mark: it does not make that client current.)
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "app/engine/client_list.h"
#include "app/ui/hosting/custom_ctrl.h"

class QListWidget;
class QStackedWidget;

namespace bkvp::ui {

class ClientPagesPanel : public QWidget {
  Q_OBJECT

 public:
  ClientPagesPanel(PageKind kind, QWidget* parent);

  // Adds a client's item. A client that cannot take part (null: not
  // installed) is shown greyed and gets no page; the others get their page,
  // created hidden in the page area and loaded.
  void AddClient(const std::string& name, engine::ClientEntry* client, bool enabled, bool checked);
  // Removes every item and destroys the pages.
  void Clear();
  // Makes the first checked item current (else the first one) and shows its page.
  void ShowFirstChecked();
  int count() const;

  // Leaving the page: every client's selected flag becomes its check mark;
  // each checked client's page is validated and stored, in list order, then
  // handed to `accept`. Stops at the first page that refuses or that
  // `accept` refuses; that client becomes current. With nothing checked,
  // warns with `nothingCheckedText`. True when the page may be left.
  bool CommitChecked(engine::ClientList& clients, const std::string& nothingCheckedText,
                     const std::function<bool(engine::ClientEntry&)>& accept = {});

  // Stores every checked client's page again (at Finish); false, after
  // saying so, when one could not store its settings.
  bool StoreChecked();

  QListWidget* list() const { return list_; }

 signals:
  // Another client's page shows (null: none).
  void currentClientChanged(engine::ClientEntry* client);

 public:
 private:
  struct Item {
    engine::ClientEntry* client = nullptr;
    CCustomCtrl* host = nullptr;
  };
  void OnCurrentRowChanged(int row);
  void MakeCurrent(int row);
  bool IsChecked(int row) const;
  bool Store(int row);

  PageKind kind_;
  QListWidget* list_;
  QStackedWidget* pages_;
  QWidget* noPage_;  // the page area while the current client has no page
  std::vector<Item> items_;
  int currentRow_ = -1;
};

}  // namespace bkvp::ui
