#include "calib/screen/calibration_pictures.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPen>

// The library's resources must be asked for by name by a program that links it statically; the
// macro cannot be used inside a namespace.
static void InitCalibrationResources() {
  Q_INIT_RESOURCE(calibration);
}

namespace qvtouch::calib {
namespace {

const QColor kTextColour(32, 32, 255);
const QColor kCrossColour(255, 96, 0);
const QColor kDiscColour(255, 255, 0);

QPixmap DrawBackground(QSize window, int textTop) {
  if (window.isEmpty()) return {};  // a placement can leave the window without an area
  QPixmap background(window);
  QPainter painter(&background);
  // A one-colour bitmap stretched over the whole window.
  painter.drawImage(QRect(QPoint(0, 0), window), QImage(":/calibration/background.png"));

  QFont font("SimSun");  // where the face is missing, the font system chooses another
  font.setPixelSize(16);
  font.setWeight(QFont::Medium);
  font.setStyleHint(QFont::SansSerif);
  painter.setFont(font);
  painter.setPen(kTextColour);
  painter.drawText(QRect(0, textTop, window.width(), window.height() - textTop),
                   Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, kInstructionText);
  return background;
}

// An orange ring with a white band and a yellow disc, and four orange arms that stop short of the
// centre, on the background's top-left corner.
QPixmap DrawTarget(const QPixmap& background) {
  QPixmap cell(kTargetCellSize, kTargetCellSize);
  cell.fill(Qt::transparent);
  QPainter painter(&cell);
  painter.drawPixmap(0, 0, background, 0, 0, kTargetCellSize, kTargetCellSize);
  painter.setPen(QPen(kCrossColour, 2));  // two pixels wide
  painter.setBrush(Qt::white);
  painter.drawEllipse(QRect(QPoint(7, 7), QPoint(46, 46)));
  painter.setBrush(kDiscColour);
  painter.drawEllipse(QRect(QPoint(13, 13), QPoint(40, 40)));
  painter.drawLine(0, kTargetCentre, 21, kTargetCentre);
  painter.drawLine(kTargetSize, kTargetCentre, 33, kTargetCentre);
  painter.drawLine(kTargetCentre, 0, kTargetCentre, 21);
  painter.drawLine(kTargetCentre, kTargetSize, kTargetCentre, 33);
  painter.end();
  return cell.copy(0, 0, kTargetSize, kTargetSize);
}

}  // namespace

void LoadCalibrationResources() {
  InitCalibrationResources();
}

CalibrationPictures::CalibrationPictures(QSize window, int textTop) {
  LoadCalibrationResources();
  background_ = DrawBackground(window, textTop);
  target_ = DrawTarget(background_);
}

}  // namespace qvtouch::calib
