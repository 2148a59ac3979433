#include "dialogs/FormHelpers.h"

#include "link/modGlobals.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

namespace {

// The instrument's mark: a rounded body with a spectrum band across its window. The two
// variants differ in body colour, as the two instrument families do.
QPixmap paintMark(int size, const QColor &body)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QPainterPath outline;
    outline.addRoundedRect(QRectF(s * 0.06, s * 0.06, s * 0.88, s * 0.88), s * 0.18, s * 0.18);
    painter.fillPath(outline, body);
    QLinearGradient band(s * 0.18, 0, s * 0.82, 0);
    const QColor colours[] = {QColor(110, 40, 180), QColor(40, 80, 220),  QColor(30, 170, 90),
                              QColor(230, 210, 40), QColor(240, 130, 30), QColor(210, 40, 40)};
    for (int i = 0; i < 6; ++i)
        band.setColorAt(i / 5.0, colours[i]);
    painter.fillRect(QRectF(s * 0.18, s * 0.30, s * 0.64, s * 0.22), band);
    painter.setPen(QPen(Qt::white, s * 0.05));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(s * 0.5, s * 0.70), s * 0.10, s * 0.10);
    return pixmap;
}

QColor bodyColour(bool primary)
{
    return primary ? QColor(24, 92, 112) : QColor(88, 88, 96);
}

} // namespace

namespace modGlobals {

QIcon ResourceIcon(int resourceId)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(paintMark(size, bodyColour(resourceId == 101)));
    return icon;
}

QPixmap ResourceBitmap(int resourceId)
{
    return paintMark(96, bodyColour(resourceId == 104));
}

void SetFormIcon(QWidget &form)
{
    form.setWindowIcon(ResourceIcon(InstrumentType ? 101 : 102));
}

void SetFormPicture(QLabel &pictureBox)
{
    pictureBox.setPixmap(ResourceBitmap(InstrumentType ? 104 : 105));
}

void AppendInstrumentName(QWidget &form)
{
    form.setWindowTitle(form.windowTitle() + InstrumentName);
}

} // namespace modGlobals
