#pragma once

#include <QIcon>
#include <QPixmap>

class QLabel;
class QWidget;

namespace quvane {

// The program's resources: the window icons and the about box's instrument pictures.
namespace Resource {
enum : int
{
    IconInstrumentType = 101,
    IconOther = 102,
    PictureInstrumentType = 104,
    PictureOther = 105,
};
} // namespace Resource

} // namespace quvane

// The form helpers keep their classic names, as global procedures.

// The window icon of every form: resource 101 when the instrument-type flag is set, 102 when not.
void SetFormIcon(QWidget &form, bool instrumentType);
// The about-box picture: bitmap resource 104 when the instrument-type flag is set, 105 when not.
void SetFormPicture(QLabel &pictureBox, bool instrumentType);
// The form's caption becomes its design caption followed directly by the instrument name.
void AppendInstrumentName(QWidget &form, const QString &instrumentName);

namespace quvane {

// The program's icon (101, 102) and bitmap (104, 105) resources.
QIcon ResourceIcon(int resourceId);
QPixmap ResourceBitmap(int resourceId);

} // namespace quvane
