#include "clients/common/pages/close_restart_choices.h"

#include <QCheckBox>
#include <QVBoxLayout>

#include "clients/common/registry_access.h"

namespace bkvp::pages {

namespace {

constexpr int kIndent = 20;

}  // namespace

CloseRestartChoices::CloseRestartChoices(const QString& closeText, const QString& restartText,
                                         CloseRestartValues values, QWidget* parent)
    : QWidget(parent),
      values_(std::move(values)),
      close_(new QCheckBox(closeText, this)),
      restart_(new QCheckBox(restartText, this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(close_);
  // Indented below the box it depends on.
  auto* dependent = new QHBoxLayout;
  dependent->addSpacing(kIndent);
  dependent->addWidget(restart_);
  layout->addLayout(dependent);
  restart_->setEnabled(false);
  connect(close_, &QCheckBox::toggled, this, [this](bool on) {
    restart_->setEnabled(on);
    if (values_.closeClearsRestart) restart_->setChecked(false);
  });
}

bool CloseRestartChoices::Store(std::string_view fullKeyPath) const {
  const bool close = close_->isChecked();
  const bool restart = close && restart_->isChecked();
  const bool closeWritten = clients::WriteDword(fullKeyPath, values_.closeName, close ? 1 : 0);
  return clients::WriteDword(fullKeyPath, values_.restartName, restart ? 1 : 0) && closeWritten;
}

void CloseRestartChoices::Load(std::string_view fullKeyPath) {
  const clients::CloseRestartOptions stored = clients::ReadCloseRestartSwitches(
      fullKeyPath, values_.rule, values_.closeName, values_.restartName);
  const bool close = stored.autoClose;
  // Set the restart box after the close box, whose toggle may clear it.
  close_->setChecked(close);
  restart_->setChecked(stored.autoRestart && (close || !values_.closeClearsRestart));
  restart_->setEnabled(close);
}

}  // namespace bkvp::pages
