#include "dialogs/FormHelpers.h"

#include "link/modGlobals.h"

#include <QLabel>
#include <QPainter>
#include <QSvgRenderer>
#include <QWidget>

namespace {

// The pictures are drawn for this program, as SVG in the resources: icons 101 and 102, the
// about box's instrument pictures 104 and 105.
QPixmap render(const QString &name, QSize size)
{
    QSvgRenderer renderer(QStringLiteral(":/pictures/%1.svg").arg(name));
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

} // namespace

namespace modGlobals {

QIcon ResourceIcon(int resourceId)
{
    QIcon icon;
    const QString name = QStringLiteral("icon-%1").arg(resourceId == 101 ? 101 : 102);
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(render(name, QSize(size, size)));
    return icon;
}

QPixmap ResourceBitmap(int resourceId)
{
    return render(QStringLiteral("picture-%1").arg(resourceId == 104 ? 104 : 105), QSize(90, 120));
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
