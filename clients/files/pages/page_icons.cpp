#include "clients/files/pages/page_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace bkvp::files::pages {

namespace {

using Painting = void (*)(QPainter&);

const QColor kInk(0x3c, 0x3c, 0x3c);
const QColor kPaper(0xfa, 0xfa, 0xfa);
const QColor kRed(0xc0, 0x1c, 0x28);
const QColor kGreen(0x26, 0xa2, 0x69);
const QColor kFolder(0xe5, 0xa5, 0x0a);

// Every picture is drawn on a 16 x 16 grid and scaled to the sizes a
// button or label asks for.
QIcon Drawn(Painting paint) {
  QIcon icon;
  for (int size : {16, 24, 32, 48}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);
    paint(painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

// A closed shape through the corners.
QPainterPath Outline(std::initializer_list<QPointF> corners) {
  QPainterPath path;
  path.addPolygon(QPolygonF(QList<QPointF>(corners)));
  path.closeSubpath();
  return path;
}

void Sheet(QPainter& p) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(kPaper);
  p.drawPath(Outline({{3.5, 1.5}, {10, 1.5}, {12.5, 4}, {12.5, 14.5}, {3.5, 14.5}}));
}

void Stroke(QPainter& p, const QColor& color, double width, QLineF line) {
  p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(line);
}

void Cross(QPainter& p, double from, double to) {
  Stroke(p, kRed, 2.4, QLineF(from, from, to, to));
  Stroke(p, kRed, 2.4, QLineF(from, to, to, from));
}

void PaintProperties(QPainter& p) {
  Sheet(p);
  for (double y : {5.5, 8.0, 10.5}) Stroke(p, kInk, 1, QLineF(5.5, y, 10.5, y));
}

void PaintRemove(QPainter& p) { Cross(p, 3.5, 12.5); }

void PaintAdd(QPainter& p) {
  Stroke(p, kGreen, 2.6, QLineF(8, 2.5, 8, 13.5));
  Stroke(p, kGreen, 2.6, QLineF(2.5, 8, 13.5, 8));
}

void PaintEdit(QPainter& p) {
  p.save();
  p.translate(8, 8);
  p.rotate(-45);
  p.setPen(QPen(kInk, 1));
  p.setBrush(kFolder);
  p.drawRect(QRectF(-4, -1.8, 8.5, 3.6));
  p.setBrush(kPaper);
  p.drawPath(Outline({{-4, -1.8}, {-7, 0}, {-4, 1.8}}));
  p.restore();
}

void PaintDelete(QPainter& p) { Stroke(p, kRed, 2.6, QLineF(2.5, 8, 13.5, 8)); }

void PaintClear(QPainter& p) {
  Sheet(p);
  Cross(p, 6, 15);
}

void PaintOriginal(QPainter& p) {
  Sheet(p);
  // A "go back" arrow: up from the bottom, then to the left.
  QPainterPath shaft;
  shaft.moveTo(10.5, 12.5);
  shaft.lineTo(10.5, 9);
  shaft.quadTo(10.5, 7, 8.5, 7);
  shaft.lineTo(7, 7);
  p.setPen(QPen(kGreen, 1.8, Qt::SolidLine, Qt::FlatCap));
  p.setBrush(Qt::NoBrush);
  p.drawPath(shaft);
  p.setPen(Qt::NoPen);
  p.setBrush(kGreen);
  p.drawPath(Outline({{4.5, 7}, {7.5, 4.5}, {7.5, 9.5}}));
}

void PaintFolder(QPainter& p) {
  p.setPen(QPen(kFolder.darker(140), 1));
  p.setBrush(kFolder);
  p.drawPath(Outline({{1.5, 3.5}, {6, 3.5}, {7.5, 5}, {14.5, 5}, {14.5, 13.5}, {1.5, 13.5}}));
  p.setBrush(kFolder.lighter(125));
  p.drawRect(QRectF(1.5, 6.5, 13, 7));
}

// A small green plus in the lower right corner, over another picture.
void CornerPlus(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(kPaper);
  p.drawEllipse(QRectF(8.5, 8.5, 7.5, 7.5));
  Stroke(p, kGreen, 2, QLineF(12.25, 9.5, 12.25, 15));
  Stroke(p, kGreen, 2, QLineF(9.5, 12.25, 15, 12.25));
}

void PaintAddFolder(QPainter& p) {
  PaintFolder(p);
  CornerPlus(p);
}

void PaintAddFile(QPainter& p) {
  Sheet(p);
  CornerPlus(p);
}

}  // namespace

QIcon AddFolderIcon() { return Drawn(PaintAddFolder); }
QIcon AddFileIcon() { return Drawn(PaintAddFile); }
QIcon PropertiesIcon() { return Drawn(PaintProperties); }
QIcon RemoveIcon() { return Drawn(PaintRemove); }
QIcon AddMaskIcon() { return Drawn(PaintAdd); }
QIcon EditMaskIcon() { return Drawn(PaintEdit); }
QIcon DeleteMaskIcon() { return Drawn(PaintDelete); }
QIcon ClearMasksIcon() { return Drawn(PaintClear); }
QIcon OriginalLocationIcon() { return Drawn(PaintOriginal); }
QIcon ChosenFolderIcon() { return Drawn(PaintFolder); }

}  // namespace bkvp::files::pages
