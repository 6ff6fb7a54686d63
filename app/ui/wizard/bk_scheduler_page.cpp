#include "app/ui/wizard/bk_scheduler_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ui/commands.h"
#include "app/ui/wizard/bk_rs_prop_sheet.h"
#include "app/ui/wizard/page_messages.h"

namespace bkvp::ui {
namespace {

constexpr const char* kWeekdayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                         "Thursday", "Friday", "Saturday"};
constexpr int kMaxKeepCount = 30;

QRadioButton* KindButton(QButtonGroup* group, const char* text, const char* name, int kind) {
  auto* button = new QRadioButton(text);
  button->setObjectName(name);
  group->addButton(button, kind);
  return button;
}

// A time field that takes a time typed as digits ("2230") from its first
// part on, wherever the click that focused it landed: the hours are
// selected once the click has placed the cursor.
class TypedTimeEdit : public QTimeEdit {
 protected:
  void focusInEvent(QFocusEvent* event) override {
    QTimeEdit::focusInEvent(event);
    QTimer::singleShot(0, this, [this] { setSelectedSection(QDateTimeEdit::HourSection); });
  }
};

}  // namespace

CBkSchedulerPage::CBkSchedulerPage(QWidget* parent)
    : QWizardPage(parent),
      runImmediately_(new QCheckBox("Run immediately")),
      scheduleLater_(new QCheckBox("Schedule for later execution")) {
  setObjectName("CBkSchedulerPage");
  setTitle("Schedule regular automatic backups");
  runImmediately_->setObjectName("runImmediately");
  scheduleLater_->setObjectName("scheduleLater");
  scheduleBox_ = MakeScheduleBox();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(runImmediately_);
  layout->addWidget(scheduleLater_);
  layout->addWidget(scheduleBox_);
  layout->addStretch(1);
  connect(scheduleLater_, &QCheckBox::toggled, this, &CBkSchedulerPage::UpdateControls);
  UpdateControls();
}

QWidget* CBkSchedulerPage::MakeScheduleBox() {
  auto* box = new QGroupBox("Schedule");
  box->setObjectName("scheduleBox");
  kinds_ = new QButtonGroup(box);
  auto* kindRow = new QHBoxLayout;
  kindRow->addWidget(KindButton(kinds_, "Daily", "daily", engine::kDaily));
  kindRow->addWidget(KindButton(kinds_, "Weekly", "weekly", engine::kWeekly));
  kindRow->addWidget(KindButton(kinds_, "Monthly", "monthly", engine::kMonthly));
  kindRow->addSpacing(24);
  time_ = new TypedTimeEdit;
  time_->setObjectName("timeOfDay");
  time_->setDisplayFormat("HH:mm");
  kindRow->addWidget(new QLabel("Occurs at:"));
  kindRow->addWidget(time_);
  kindRow->addStretch(1);

  weeklyBox_ = new QWidget;
  weeklyBox_->setObjectName("weeklyBox");
  auto* days = new QGridLayout(weeklyBox_);
  days->setContentsMargins(0, 0, 0, 0);
  for (int day = 0; day < 7; ++day) {
    weekdays_[day] = new QCheckBox(kWeekdayNames[day]);
    weekdays_[day]->setObjectName(QString("weekday%1").arg(day));
    days->addWidget(weekdays_[day], day / 4, day % 4);
  }

  monthlyBox_ = new QWidget;
  monthlyBox_->setObjectName("monthlyBox");
  dayMode_ = new QRadioButton("Day");
  dayMode_->setObjectName("monthlyDay");
  ordinalMode_ = new QRadioButton("The");
  ordinalMode_->setObjectName("monthlyThe");
  dayNumber_ = new QSpinBox;
  dayNumber_->setObjectName("dayNumber");
  dayNumber_->setRange(1, 31);
  ordinal_ = new QComboBox;
  ordinal_->setObjectName("ordinal");
  ordinal_->addItems({"1st", "2nd", "3rd", "4th", "Last"});
  weekday_ = new QComboBox;
  weekday_->setObjectName("weekday");
  for (const char* name : kWeekdayNames) weekday_->addItem(name);
  auto* monthly = new QGridLayout(monthlyBox_);
  monthly->setContentsMargins(0, 0, 0, 0);
  monthly->addWidget(dayMode_, 0, 0);
  monthly->addWidget(dayNumber_, 0, 1);
  monthly->addWidget(new QLabel("of every month"), 0, 2, 1, 2);
  monthly->addWidget(ordinalMode_, 1, 0);
  monthly->addWidget(ordinal_, 1, 1);
  monthly->addWidget(weekday_, 1, 2);
  monthly->addWidget(new QLabel("of every month"), 1, 3);
  monthly->setColumnStretch(4, 1);

  keepLast_ = new QCheckBox("Leave last");
  keepLast_->setObjectName("keepLast");
  keepCount_ = new QSpinBox;
  keepCount_->setObjectName("keepCount");
  keepCount_->setRange(1, kMaxKeepCount);
  auto* keepRow = new QHBoxLayout;
  keepRow->addWidget(keepLast_);
  keepRow->addWidget(keepCount_);
  keepRow->addWidget(new QLabel("backups"));
  keepRow->addStretch(1);

  auto* layout = new QVBoxLayout(box);
  layout->addLayout(kindRow);
  layout->addWidget(weeklyBox_);
  layout->addWidget(monthlyBox_);
  layout->addSpacing(8);
  layout->addLayout(keepRow);

  connect(kinds_, &QButtonGroup::idToggled, this, &CBkSchedulerPage::UpdateControls);
  connect(dayMode_, &QRadioButton::toggled, this, &CBkSchedulerPage::UpdateControls);
  connect(keepLast_, &QCheckBox::toggled, this, &CBkSchedulerPage::UpdateControls);
  return box;
}

int CBkSchedulerPage::nextId() const { return kPageBackupFinish; }

void CBkSchedulerPage::initializePage() {
  if (loaded_) return;
  loaded_ = true;
  const engine::ProgramSettings& settings = CBkRsPropSheet::Of(wizard())->settings();
  runImmediately_->setChecked(settings.runImmediately);
  scheduleLater_->setChecked(settings.scheduleEnabled);
  Load(settings.schedule);
}

void CBkSchedulerPage::Load(const engine::ScheduleRecord& record) {
  if (QAbstractButton* kind = kinds_->button(int(record.kind)))
    kind->setChecked(true);
  else
    kinds_->button(engine::kDaily)->setChecked(true);
  time_->setTime(QDateTime::fromSecsSinceEpoch(record.timeOfDay).time());
  for (int day = 0; day < 7; ++day) weekdays_[day]->setChecked(record.weekdayMask & (1u << day));
  (record.monthlyMode == engine::kOrdinalWeekday ? ordinalMode_ : dayMode_)->setChecked(true);
  dayNumber_->setValue(int(std::clamp<uint32_t>(record.dayNumber, 1, 31)));
  ordinal_->setCurrentIndex(int(std::min<uint32_t>(record.ordinal, engine::kOrdinalLast)));
  weekday_->setCurrentIndex(int(std::min<uint32_t>(record.weekday, 6)));
  // A larger count stored by the command line stays as it is: lowering it
  // here would delete the archives beyond 30 at the next scheduled run.
  keepCount_->setMaximum(int(std::max<uint32_t>(record.keepCount, kMaxKeepCount)));
  keepLast_->setChecked(record.keepCount > 0);
  keepCount_->setValue(record.keepCount > 0 ? int(record.keepCount) : kMaxKeepCount);
  UpdateControls();
}

// Only the controls of the chosen kind show, and only while a schedule is
// wanted.
void CBkSchedulerPage::UpdateControls() {
  scheduleBox_->setVisible(scheduleLater_->isChecked());
  const int kind = kinds_->checkedId();
  weeklyBox_->setVisible(kind == engine::kWeekly);
  monthlyBox_->setVisible(kind == engine::kMonthly);
  dayNumber_->setEnabled(dayMode_->isChecked());
  ordinal_->setEnabled(!dayMode_->isChecked());
  weekday_->setEnabled(!dayMode_->isChecked());
  keepCount_->setEnabled(keepLast_->isChecked());
}

engine::ScheduleRecord CBkSchedulerPage::Record(std::time_t now) const {
  engine::ScheduleRecord record;
  record.kind = uint32_t(std::max(kinds_->checkedId(), 0));
  record.timeOfDay = engine::TimeOfDayOn(now, time_->time().hour(), time_->time().minute());
  record.keepCount = keepLast_->isChecked() ? uint32_t(keepCount_->value()) : 0;
  for (int day = 0; day < 7; ++day)
    if (weekdays_[day]->isChecked()) record.weekdayMask |= 1u << day;
  record.monthlyMode = dayMode_->isChecked() ? engine::kDayNumber : engine::kOrdinalWeekday;
  record.dayNumber = uint32_t(dayNumber_->value());
  record.ordinal = uint32_t(ordinal_->currentIndex());
  record.weekday = uint32_t(weekday_->currentIndex());
  return record;
}

bool CBkSchedulerPage::validatePage() {
  if (keepLast_->isChecked() && !keepCount_->hasAcceptableInput()) {
    ShowPageWarning("Enter an integer between 1 and " + std::to_string(keepCount_->maximum()) +
                    ".");
    keepCount_->setFocus();
    return false;
  }
  const engine::ScheduleRecord record = Record(std::time(nullptr));
  // Such a schedule would never run.
  if (scheduleLater_->isChecked() && record.kind == engine::kWeekly && record.weekdayMask == 0) {
    ShowPageWarning("Check at least one day of the week for a weekly schedule.");
    return false;
  }
  engine::BackupChoices& choices = CBkRsPropSheet::Of(wizard())->backupChoices();
  choices.runImmediately = runImmediately_->isChecked();
  choices.schedule = scheduleLater_->isChecked();
  choices.record = record;
  return true;
}

}  // namespace bkvp::ui
