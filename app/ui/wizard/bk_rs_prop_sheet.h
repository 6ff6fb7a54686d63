// CBkRsPropSheet: the one wizard that carries both branches, backup (pages
// 1 to 4) and restore (pages 5 to 7), entered from the start page (0).
#pragma once

#include <QWizard>

#include "app/engine/client_list.h"
#include "app/engine/program_settings.h"

namespace bkvp::ui {

class CBkRsPropSheet : public QWizard {
  Q_OBJECT
 public:
  // Discovers the installed clients; `settings` must outlive the sheet.
  explicit CBkRsPropSheet(engine::ProgramSettings& settings, QWidget* parent = nullptr);
  ~CBkRsPropSheet() override;

  // The open sheet, for its pages; null when none is open.
  static CBkRsPropSheet* Current();

  engine::ProgramSettings& settings() { return settings_; }
  engine::ClientList& clients() { return clients_; }

 private:
  void ShowAbout();

  engine::ProgramSettings& settings_;
  engine::ClientList clients_;
};

}  // namespace bkvp::ui
