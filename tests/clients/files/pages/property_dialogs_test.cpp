// The property dialogs of the backup list: the mask box (119), the folder
// properties (118) and the file properties (120), driven through their
// buttons, with their message boxes answered from a script.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QTreeWidget>

#include "clients/files/pages/file_properties_dialog.h"
#include "clients/files/pages/folder_properties_dialog.h"
#include "clients/files/pages/mask_input_dialog.h"
#include "tests/clients/common/pages/page_test_support.h"

namespace bkvp::files::pages {
namespace {

using testing::ScriptedMessageBoxes;
using testing::WithModal;
namespace ui = platform::ui;
using Texts = std::vector<std::string>;

// The child of `parent` of type W whose text is `text`.
template <class W>
W* Named(QWidget& parent, const QString& text) {
  for (W* widget : parent.findChildren<W*>())
    if (widget->text() == text) return widget;
  throw std::runtime_error("no control " + text.toStdString());
}

// Mask box tests: the list accepts anything but "*.dup" and records the calls.
struct MaskBox {
  explicit MaskBox(bool editing = false, MaskSide side = MaskSide::kInclude,
                   const QString& text = "")
      : dialog(nullptr, editing, side, text, [this](const QString& mask, bool show) {
          asked.push_back({mask, show});
          return mask != "*.dup";
        }) {
    dialog.show();
  }
  void Type(const QString& text) { dialog.findChild<QLineEdit*>()->setText(text); }
  QString Text() { return dialog.findChild<QLineEdit*>()->text(); }

  std::vector<std::pair<QString, bool>> asked;
  MaskInputDialog dialog;
};

TEST(MaskInputDialog, CaptionAndLabelTellTheModeAndTheSide) {
  EXPECT_EQ(MaskBox(false, MaskSide::kInclude).dialog.windowTitle(), "Input Box: Include mask");
  EXPECT_EQ(MaskBox(false, MaskSide::kExclude).dialog.windowTitle(), "Input Box: Exclude mask");
  MaskBox edit(true, MaskSide::kExclude, "*.doc");
  EXPECT_EQ(edit.dialog.windowTitle(), "Edit Box: Exclude mask");
  EXPECT_EQ(edit.dialog.findChild<QLabel*>()->text(), "Edit mask");
  EXPECT_EQ(MaskBox().dialog.findChild<QLabel*>()->text(), "Enter mask");
  EXPECT_EQ(edit.dialog.findChild<QLineEdit*>()->maxLength(), 260);
}

TEST(MaskInputDialog, OkRefusesEmptyTextEndsUnchangedAsCancelledAndCompletesExtensions) {
  ScriptedMessageBoxes boxes;
  MaskBox box;
  box.Type("  ");
  box.dialog.accept();
  EXPECT_TRUE(box.dialog.isVisible());
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "The value cannot be empty.");
  EXPECT_EQ(boxes.shown[0].caption, "Error");
  EXPECT_EQ(boxes.shown[0].style, ui::MB_OK | ui::MB_ICONEXCLAMATION);

  box.Type("txt");
  box.dialog.accept();
  EXPECT_EQ(box.dialog.result(), QDialog::Accepted);
  EXPECT_EQ(box.dialog.Mask(), "*.txt");
  EXPECT_EQ(box.Text(), "*.txt");
  EXPECT_EQ(box.asked, (std::vector<std::pair<QString, bool>>{{"*.txt", true}}));

  MaskBox unchanged(true, MaskSide::kInclude, "*.doc");
  unchanged.dialog.accept();
  EXPECT_FALSE(unchanged.dialog.isVisible());
  EXPECT_EQ(unchanged.dialog.result(), QDialog::Rejected);
  EXPECT_TRUE(unchanged.asked.empty());

  MaskBox refused;
  refused.Type("*.dup");
  refused.dialog.accept();
  EXPECT_TRUE(refused.dialog.isVisible());
}

TEST(MaskInputDialog, CancelAfterAnAcceptableChangeAsksWhetherToSave) {
  ScriptedMessageBoxes boxes({ui::IDCANCEL, ui::IDYES, ui::IDNO});
  MaskBox box;
  box.Type("log");
  box.dialog.reject();  // Cancel: stays open
  EXPECT_TRUE(box.dialog.isVisible());
  box.dialog.reject();  // Yes: runs OK
  EXPECT_EQ(box.dialog.result(), QDialog::Accepted);
  EXPECT_EQ(box.dialog.Mask(), "*.log");
  ASSERT_GE(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].text, "Data was changed.\nDo you want to save your changes?");
  EXPECT_EQ(boxes.shown[0].caption, "Warning");
  EXPECT_EQ(boxes.shown[0].style, ui::MB_YESNOCANCEL | ui::MB_ICONQUESTION);
  EXPECT_EQ(box.asked.front(), std::make_pair(QString("log"), false));

  MaskBox discarded;
  discarded.Type("*.log");
  discarded.dialog.reject();  // No
  EXPECT_FALSE(discarded.dialog.isVisible());
  EXPECT_EQ(discarded.dialog.Mask(), "");

  // A text the list would refuse anyway closes without a question.
  MaskBox refused;
  refused.Type("*.dup");
  refused.dialog.reject();
  EXPECT_FALSE(refused.dialog.isVisible());
  EXPECT_EQ(boxes.shown.size(), 3u);
}

// Folder properties: the include list is the first mask list, the exclude list the second.
struct FolderDialog {
  explicit FolderDialog(FolderEntry start) : entry(std::move(start)), dialog(entry, nullptr) {}
  QTreeWidget* Masks(int side) { return dialog.findChildren<QTreeWidget*>().at(side); }
  QToolButton* Button(int side, const QString& name) {
    std::vector<QToolButton*> found;
    for (QToolButton* button : dialog.findChildren<QToolButton*>())
      if (button->accessibleName() == name) found.push_back(button);
    return found.at(side);
  }
  Texts Rows(int side, int column = 0) {
    Texts rows;
    QTreeWidget* list = Masks(side);
    for (int i = 0; i < list->topLevelItemCount(); ++i)
      rows.push_back(list->topLevelItem(i)->text(column).toStdString());
    return rows;
  }
  // Clicks the side's add button and types into the mask box; the box's
  // OK is pressed as often as it stays open with a refusal.
  void AddMask(int side, const QString& text) {
    WithModal<MaskInputDialog>([&] { Button(side, "Add")->click(); },
                               [&](MaskInputDialog& box) {
                                 box.findChild<QLineEdit*>()->setText(text);
                                 box.accept();
                                 if (box.isVisible()) box.done(QDialog::Rejected);
                               });
  }
  int Run(const std::function<void(FolderPropertiesDialog&)>& drive) {
    int result = -1;
    WithModal<FolderPropertiesDialog>([&] { result = dialog.exec(); }, drive);
    return result;
  }

  FolderEntry entry;
  FolderPropertiesDialog dialog;
};

enum Side { kInclude, kExclude };

TEST(FolderPropertiesDialog, MaskRowsDescribeTheirFileTypes) {
  FolderDialog folder(FolderEntry{"/data", true, "*.* | *.txt | *.txt | report.xyz | *.do?"});
  EXPECT_EQ(folder.Rows(kInclude), (Texts{"*.*", "*.txt", "report.xyz", "*.do?"}));
  const Texts descriptions = folder.Rows(kInclude, 1);
  EXPECT_EQ(descriptions[0], "All files");
  EXPECT_NE(descriptions[1], "TXT Files");  // the MIME database names text files
  EXPECT_FALSE(descriptions[1].empty());
  EXPECT_EQ(descriptions[2], "XYZ File");
  EXPECT_EQ(descriptions[3], "DO? Files");
  EXPECT_EQ(folder.Masks(kInclude)->headerItem()->text(0), "Type");
  EXPECT_EQ(folder.Masks(kInclude)->headerItem()->text(1), "Description");
}

TEST(FolderPropertiesDialog, MaskBoxRefusesAllFilesInvalidAndRepeatedMasks) {
  ScriptedMessageBoxes boxes;
  FolderDialog folder(FolderEntry{"/data", true, "*.*", {}, "*.txt"});
  folder.AddMask(kExclude, "*.*");
  folder.AddMask(kExclude, "c:*.doc");
  folder.AddMask(kExclude, "txt");
  folder.AddMask(kExclude, "a\tb.doc");
  folder.AddMask(kExclude, "doc");
  EXPECT_EQ(boxes.Texts(), (Texts{"The mask *.* is not allowed.", "Invalid mask.",
                                  "Mask already exist.", "Invalid mask."}));
  for (const auto& box : boxes.shown) EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(folder.Rows(kExclude), (Texts{"*.txt", "*.doc"}));

  EXPECT_EQ(folder.Run([](FolderPropertiesDialog& d) { d.accept(); }), QDialog::Accepted);
  EXPECT_EQ(folder.entry.excludeMasks, "*.txt | *.doc");
}

TEST(FolderPropertiesDialog, ClearingTheIncludeListLeavesAllFiles) {
  ScriptedMessageBoxes boxes({ui::IDCANCEL, ui::IDOK});
  FolderDialog folder(FolderEntry{"/data", true, "*.txt | *.doc"});
  folder.Button(kInclude, "Clear")->click();
  EXPECT_EQ(folder.Rows(kInclude), (Texts{"*.txt", "*.doc"}));
  folder.Button(kInclude, "Clear")->click();
  EXPECT_EQ(folder.Rows(kInclude), (Texts{"*.*"}));
  EXPECT_EQ(folder.Rows(kInclude, 1), (Texts{"All files"}));
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].text, "Are you sure you want to clear the list?");
  EXPECT_EQ(boxes.shown[0].caption, "Confirmation");
  EXPECT_EQ(boxes.shown[0].style, ui::MB_OKCANCEL | ui::MB_ICONQUESTION);
}

TEST(FolderPropertiesDialog, OkWithoutChangeEndsAsCancelledAndStoresNothing) {
  FolderEntry start{"/data", false, "*.doc", {kRuleLastDays, 5}, "*.bak", {kRuleToday, -1}};
  FolderDialog folder(start);
  EXPECT_FALSE(Named<QCheckBox>(folder.dialog, "Process recursively")->isChecked());
  EXPECT_EQ(folder.Run([](FolderPropertiesDialog& d) { d.accept(); }), QDialog::Rejected);
  EXPECT_EQ(folder.entry, start);
}

TEST(FolderPropertiesDialog, OkStoresRecursionMasksAndBothRules) {
  FolderDialog folder(FolderEntry{"/data"});
  const int result = folder.Run([&](FolderPropertiesDialog& d) {
    Named<QCheckBox>(d, "Process recursively")->click();
    folder.AddMask(kInclude, "odt");
    const auto boxes = d.findChildren<QCheckBox*>();
    boxes.at(1)->click();  // include: By Modification Date
    auto weeks = d.findChildren<QRadioButton*>();
    weeks.at(2)->click();  // include: For last week(s)
    auto lists = d.findChildren<QComboBox*>();
    lists.at(1)->setCurrentIndex(2);  // weeks: 3
    emit lists.at(1)->activated(2);
    boxes.at(2)->click();                                // exclude: By Modification Date
    d.findChildren<QRadioButton*>().at(6 + 5)->click();  // exclude: Before
    d.findChildren<QDateEdit*>().at(1)->setDate(QDate(2003, 3, 7));
    d.accept();
  });
  ASSERT_EQ(result, QDialog::Accepted);
  EXPECT_FALSE(folder.entry.recursive);
  EXPECT_EQ(folder.entry.includeMasks, "*.* | *.odt");
  EXPECT_EQ(folder.entry.includeRule, (DateRule{kRuleLastWeeks, 3}));
  EXPECT_EQ(folder.entry.excludeRule, (DateRule{kRuleBefore, -1, {2003, 3, 7}}));
}

TEST(FolderPropertiesDialog, ChangingOnlyTheDateIsAChange) {
  FolderDialog folder(FolderEntry{"/data", true, "*.*", {kRuleAfter, -1, {2003, 3, 7}}});
  ASSERT_EQ(folder.Run([](FolderPropertiesDialog& d) {
    QDateEdit* date = d.findChildren<QDateEdit*>().at(0);
    date->setDate(QDate(2004, 1, 2));
    emit date->userDateChanged(date->date());
    d.accept();
  }),
            QDialog::Accepted);
  EXPECT_EQ(folder.entry.includeRule.date, (CalendarDate{2004, 1, 2}));
}

TEST(FolderPropertiesDialog, CancelAfterAChangeAsksWhetherToSave) {
  ScriptedMessageBoxes boxes({ui::IDCANCEL, ui::IDNO, ui::IDYES});
  FolderDialog discarded(FolderEntry{"/data"});
  EXPECT_EQ(discarded.Run([](FolderPropertiesDialog& d) {
    Named<QCheckBox>(d, "Process recursively")->click();
    d.reject();  // Cancel: the dialog stays
    EXPECT_TRUE(d.isVisible());
    d.reject();  // No
  }),
            QDialog::Rejected);
  EXPECT_TRUE(discarded.entry.recursive);

  FolderDialog saved(FolderEntry{"/data"});
  EXPECT_EQ(saved.Run([](FolderPropertiesDialog& d) {
    Named<QCheckBox>(d, "Process recursively")->click();
    d.reject();  // Yes
  }),
            QDialog::Accepted);
  EXPECT_FALSE(saved.entry.recursive);
  EXPECT_EQ(boxes.shown.size(), 3u);
}

TEST(RuleChoices, CountListsOfferDaysFromTwoWeeksToFourMonthsToThirtySix) {
  FolderEntry entry{"/data"};
  FolderPropertiesDialog dialog(entry, nullptr);
  const auto lists = dialog.findChildren<QComboBox*>();
  auto values = [&](int i) {
    Texts items;
    for (int n = 0; n < lists.at(i)->count(); ++n)
      items.push_back(lists.at(i)->itemText(n).toStdString());
    return items;
  };
  EXPECT_EQ(values(0), (Texts{"2", "3", "4", "5", "6", "7"}));
  EXPECT_EQ(values(1), (Texts{"1", "2", "3", "4"}));
  EXPECT_EQ(values(2).size(), 36u);
  EXPECT_EQ(values(2).back(), "36");
  // Unchecked groups are disabled.
  EXPECT_FALSE(Named<QRadioButton>(dialog, "Today")->isEnabled());
}

TEST(FilePropertiesDialog, BackupIfModifiedStartsAtTodayAndStoresTheChosenRule) {
  FileEntry entry{"/data/report.doc"};
  FilePropertiesDialog dialog(entry, nullptr);
  EXPECT_EQ(dialog.windowTitle(), "Backup File Properties");
  EXPECT_TRUE(Named<QRadioButton>(dialog, "Backup Allways")->isChecked());
  QRadioButton* today = Named<QRadioButton>(dialog, "Today");
  EXPECT_FALSE(today->isEnabled());
  Named<QRadioButton>(dialog, "Backup If Modified")->click();
  EXPECT_TRUE(today->isChecked());
  EXPECT_TRUE(today->isEnabled());
  Named<QRadioButton>(dialog, "For last month(s)")->click();
  QComboBox* months = dialog.findChildren<QComboBox*>().at(2);
  months->setCurrentIndex(11);
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(entry.rule, (DateRule{kRuleLastMonths, 12}));

  FilePropertiesDialog again(entry, nullptr);
  EXPECT_TRUE(Named<QRadioButton>(again, "For last month(s)")->isChecked());
  again.show();
  again.accept();  // nothing changed
  EXPECT_EQ(again.result(), QDialog::Rejected);
}

}  // namespace
}  // namespace bkvp::files::pages
