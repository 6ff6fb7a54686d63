// The choices of one modification-date rule, as the folder and file property
// dialogs show them: "Today", "For last day(s)", "For last week(s)", "For
// last month(s)", "After" and "Before", a count list beside each "for last"
// choice (days 2-7, weeks 1-4, months 1-36; one day is "Today") and a date
// beside "After" and "Before". A count list or the date can be changed only
// while its choice is selected.
#pragma once

#include <QWidget>

#include "clients/files/date_rule.h"

class QButtonGroup;
class QComboBox;
class QDateEdit;

namespace bkvp::files::pages {

class RuleChoices : public QWidget {
  Q_OBJECT

 public:
  explicit RuleChoices(QWidget* parent);

  // Selects the rule's kind (nothing for kRuleAlways or an unknown kind),
  // its count and its date (today when the rule has none). Emits nothing.
  void ShowRule(const DateRule& rule);
  // The rule chosen, built on `previous`: the selected kind, the count of its
  // list for the "for last" kinds (-1 for the others) and the date for
  // "After" and "Before". With nothing selected, `previous` unchanged.
  DateRule ChosenRule(const DateRule& previous) const;
  void ChooseTodayIfNone();

 signals:
  // The user changed a choice, a count or the date.
  void changed();

 private:
  void UpdateEnabling();

  QButtonGroup* kinds_;  // button ids are the rule kinds
  QComboBox* days_;
  QComboBox* weeks_;
  QComboBox* months_;
  QDateEdit* date_;
};

}  // namespace bkvp::files::pages
