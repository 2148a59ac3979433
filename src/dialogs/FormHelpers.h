#pragma once

#include <QIcon>
#include <QPixmap>

class QLabel;
class QWidget;

namespace modGlobals {

// The window icon of every form: resource 101 when the instrument-type flag is set, 102 when not.
void SetFormIcon(QWidget &form);
// The about-box picture: bitmap resource 104 when the instrument-type flag is set, 105 when not.
void SetFormPicture(QLabel &pictureBox);
// The form's caption becomes its design caption followed directly by the instrument name.
void AppendInstrumentName(QWidget &form);

// The program's icon (101, 102) and bitmap (104, 105) resources.
QIcon ResourceIcon(int resourceId);
QPixmap ResourceBitmap(int resourceId);

} // namespace modGlobals
