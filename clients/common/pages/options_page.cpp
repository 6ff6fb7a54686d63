#include "clients/common/pages/options_page.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "clients/common/pages/page_pictures.h"

namespace bkvp::pages {

namespace {

constexpr int kNotePictureSize = 24;

QLabel* Heading(const QString& title, QWidget* parent) {
  auto* heading = new QLabel(title, parent);
  QFont font = heading->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.2);
  heading->setFont(font);
  return heading;
}

// A picture and texts in one row, the texts taking the rest of the width.
QHBoxLayout* PictureRow(const QString& picture, int pictureSize, const QStringList& texts,
                        QWidget* parent) {
  auto* row = new QHBoxLayout;
  row->addWidget(PictureLabel(picture, pictureSize, parent));
  for (const QString& text : texts) row->addWidget(new QLabel(text, parent));
  row->addStretch(1);
  return row;
}

}  // namespace

OptionsPage::OptionsPage(QWidget* parent, const QString& title, const QString& programName,
                         bool programPresent)
    : PageContent(parent), body_(new QVBoxLayout) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Heading(title, this));
  if (!programPresent)
    layout->addLayout(PictureRow(kNotInstalledPicture, kNotePictureSize,
                                 {programName + " is not installed on this computer."}, this));
  layout->addSpacing(6);
  layout->addLayout(body_);
  layout->addStretch(1);
}

void OptionsPage::AddWarning(const QStringList& texts) {
  body_->addLayout(PictureRow(kWarningPicture, kNotePictureSize, texts, this));
}

}  // namespace bkvp::pages
