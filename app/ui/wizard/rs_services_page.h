// Restore page 6: the kinds of data the chosen archive holds, each with its
// client's restore page; clients not installed or not present here are
// shown greyed.
#pragma once

#include <QWizardPage>

class QLabel;
class QPushButton;
#include <string>

namespace bkvp::ui {

class ClientPagesPanel;

class CRsServicesPage : public QWizardPage {
  Q_OBJECT
 public:
  explicit CRsServicesPage(QWidget* parent = nullptr);
  int nextId() const override;
  // Matches the archive's clients again only when another archive was chosen.
  void initializePage() override;
  bool validatePage() override;

 private:
  // "Choose files...": the files client's files of the archive, for this
  // run only.
  void ChooseFiles();
  void ShowChoice();

  ClientPagesPanel* panel_;
  QPushButton* chooseFiles_;
  QLabel* choice_;
  std::string matchedPath_;
};

}  // namespace bkvp::ui
