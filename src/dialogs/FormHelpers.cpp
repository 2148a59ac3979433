#include "dialogs/FormHelpers.h"

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

namespace quvane {

QIcon ResourceIcon(int resourceId)
{
    QIcon icon;
    const QString name = QStringLiteral("icon-%1").arg(resourceId == Resource::IconInstrumentType
                                                           ? Resource::IconInstrumentType
                                                           : Resource::IconOther);
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(render(name, QSize(size, size)));
    return icon;
}

QPixmap ResourceBitmap(int resourceId)
{
    return render(QStringLiteral("picture-%1")
                      .arg(resourceId == Resource::PictureInstrumentType
                               ? Resource::PictureInstrumentType
                               : Resource::PictureOther),
                  QSize(90, 120));
}

} // namespace quvane

using namespace quvane;

void SetFormIcon(QWidget &form, bool instrumentType)
{
    form.setWindowIcon(
        ResourceIcon(instrumentType ? Resource::IconInstrumentType : Resource::IconOther));
}

void SetFormPicture(QLabel &pictureBox, bool instrumentType)
{
    pictureBox.setPixmap(
        ResourceBitmap(instrumentType ? Resource::PictureInstrumentType : Resource::PictureOther));
}

void AppendInstrumentName(QWidget &form, const QString &instrumentName)
{
    form.setWindowTitle(form.windowTitle() + instrumentName);
}
