#include "clients/files/pages/rule_choices.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QRadioButton>

namespace bkvp::files::pages {

namespace {

QComboBox* CountList(QWidget* parent, int first, int last) {
  auto* list = new QComboBox(parent);
  for (int n = first; n <= last; ++n) list->addItem(QString::number(n), n);
  list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return list;
}

// The stored count when the list offers it, else the list's first entry.
void SelectCount(QComboBox* list, int count) {
  const int index = list->findData(count);
  list->setCurrentIndex(index >= 0 ? index : 0);
}

QDate ToQDate(const CalendarDate& date) { return QDate(date.year, date.month, date.day); }

CalendarDate FromQDate(const QDate& date) { return {date.year(), date.month(), date.day()}; }

}  // namespace

RuleChoices::RuleChoices(QWidget* parent)
    : QWidget(parent),
      kinds_(new QButtonGroup(this)),
      days_(CountList(this, 2, 7)),
      weeks_(CountList(this, 1, 4)),
      months_(CountList(this, 1, 36)),
      date_(new QDateEdit(this)) {
  date_->setCalendarPopup(true);
  date_->setDisplayFormat("dd MMM yyyy");
  date_->setDate(QDate::currentDate());

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  const struct {
    const char* text;
    int kind;
    QWidget* beside;
  } rows[] = {{"Today", kRuleToday, nullptr},
              {"For last day(s)", kRuleLastDays, days_},
              {"For last week(s)", kRuleLastWeeks, weeks_},
              {"For last month(s)", kRuleLastMonths, months_},
              {"After", kRuleAfter, date_},
              {"Before", kRuleBefore, nullptr}};
  int row = 0;
  for (const auto& choice : rows) {
    auto* button = new QRadioButton(choice.text, this);
    kinds_->addButton(button, choice.kind);
    grid->addWidget(button, row, 0);
    if (choice.beside) grid->addWidget(choice.beside, row, 1, choice.beside == date_ ? 2 : 1, 1);
    ++row;
  }
  grid->setColumnStretch(2, 1);

  connect(kinds_, &QButtonGroup::idToggled, this, [this](int, bool on) {
    UpdateEnabling();
    if (on) emit changed();
  });
  for (QComboBox* list : {days_, weeks_, months_})
    connect(list, &QComboBox::activated, this, &RuleChoices::changed);
  connect(date_, &QDateEdit::userDateChanged, this, &RuleChoices::changed);
  UpdateEnabling();
}

void RuleChoices::ShowRule(const DateRule& rule) {
  const QSignalBlocker blockKinds(kinds_);
  const QSignalBlocker blockDate(date_);
  QAbstractButton* button = kinds_->button(rule.kind);
  if (button) {
    button->setChecked(true);
  } else if (QAbstractButton* checked = kinds_->checkedButton()) {
    // An exclusive group does not let its last button go unchecked.
    kinds_->setExclusive(false);
    checked->setChecked(false);
    kinds_->setExclusive(true);
  }
  SelectCount(days_, rule.kind == kRuleLastDays ? rule.count : 0);
  SelectCount(weeks_, rule.kind == kRuleLastWeeks ? rule.count : 0);
  SelectCount(months_, rule.kind == kRuleLastMonths ? rule.count : 0);
  date_->setDate(rule.HasDate() && ToQDate(rule.date).isValid() ? ToQDate(rule.date)
                                                                : QDate::currentDate());
  UpdateEnabling();
}

DateRule RuleChoices::ChosenRule(const DateRule& previous) const {
  const int kind = kinds_->checkedId();
  if (kind < 0) return previous;
  DateRule rule = previous;
  rule.kind = kind;
  rule.count = -1;
  if (kind == kRuleLastDays) rule.count = days_->currentData().toInt();
  if (kind == kRuleLastWeeks) rule.count = weeks_->currentData().toInt();
  if (kind == kRuleLastMonths) rule.count = months_->currentData().toInt();
  if (rule.HasDate()) rule.date = FromQDate(date_->date());
  return rule;
}

void RuleChoices::ChooseTodayIfNone() {
  if (!kinds_->checkedButton()) kinds_->button(kRuleToday)->setChecked(true);
}

void RuleChoices::UpdateEnabling() {
  const int kind = kinds_->checkedId();
  days_->setEnabled(kind == kRuleLastDays);
  weeks_->setEnabled(kind == kRuleLastWeeks);
  months_->setEnabled(kind == kRuleLastMonths);
  date_->setEnabled(kind == kRuleAfter || kind == kRuleBefore);
}

}  // namespace bkvp::files::pages
