// Backup page 3: run now, on a schedule, or both; the schedule's kind, time,
// days and the number of archives kept.
#pragma once

#include <QWizardPage>
#include <ctime>

#include "app/engine/schedule.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QRadioButton;
class QSpinBox;
class QTimeEdit;
class QWidget;

namespace bkvp::ui {

class CBkSchedulerPage : public QWizardPage {
  Q_OBJECT
 public:
  explicit CBkSchedulerPage(QWidget* parent = nullptr);
  int nextId() const override;
  void initializePage() override;
  bool validatePage() override;

  // The schedule the controls show; the time of day on `now`'s date.
  engine::ScheduleRecord Record(std::time_t now) const;

 private:
  QWidget* MakeScheduleBox();
  void Load(const engine::ScheduleRecord& record);
  void UpdateControls();

  QCheckBox* runImmediately_;
  QCheckBox* scheduleLater_;
  QWidget* scheduleBox_;
  QButtonGroup* kinds_;
  QTimeEdit* time_;
  QWidget* weeklyBox_;
  QCheckBox* weekdays_[7];
  QWidget* monthlyBox_;
  QRadioButton* dayMode_;
  QRadioButton* ordinalMode_;
  QSpinBox* dayNumber_;
  QComboBox* ordinal_;
  QComboBox* weekday_;
  QCheckBox* keepLast_;
  QSpinBox* keepCount_;
  bool loaded_ = false;
};

}  // namespace bkvp::ui
