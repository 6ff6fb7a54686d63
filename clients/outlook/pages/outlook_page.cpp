#include "clients/outlook/pages/outlook_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "clients/common/pages/page_pictures.h"

namespace bkvp::outlook::pages {

namespace {

constexpr int kPictureSize = 48;

// Outlook 2000 has its picture; Outlook 97/98, and an Outlook not found, the
// older one.
const QString& GenerationPicture(Generation generation) {
  return generation == kGeneration9 ? bkvp::pages::kMailCalendarPicture
                                    : bkvp::pages::kMailCalendarOlderPicture;
}

}  // namespace

OutlookPage::OutlookPage(QWidget* parent, const QString& title)
    : OutlookPage(parent, title, DetectGeneration()) {}

OutlookPage::OutlookPage(QWidget* parent, const QString& title, Generation generation)
    : OptionsPage(parent, title, "Outlook", generation != kGenerationUnknown),
      generation_(generation),
      generalOptions_(new QCheckBox("General options", this)),
      mailbox_(new QCheckBox("Mailbox", this)) {
  auto* content = new QGridLayout;
  content->setHorizontalSpacing(12);
  content->addWidget(bkvp::pages::PictureLabel(GenerationPicture(generation_), kPictureSize, this),
                     0, 0, 2, 1, Qt::AlignTop);
  content->addWidget(generalOptions_, 0, 1);
  content->addWidget(mailbox_, 1, 1);
  content->setColumnStretch(1, 1);
  Body()->addLayout(content);
  generalOptions_->setChecked(true);
  mailbox_->setChecked(true);
}

OutlookRestorePage::OutlookRestorePage(QWidget* parent)
    : OutlookPage(parent, "Outlook Restore Options") {
  generalOptions()->setEnabled(false);
  mailbox()->setEnabled(false);
}

}  // namespace bkvp::outlook::pages
