#include "dialogs/QvDialog.h"

#include "dialogs/FormHelpers.h"

namespace quvane {

QvDialog::QvDialog(const QString &designCaption, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(designCaption);
}

void QvDialog::Form_Load()
{
    modGlobals::SetFormIcon(*this);
    modGlobals::AppendInstrumentName(*this);
}

void QvDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_activated) {
        m_activated = true;
        Form_Activate();
    }
}

} // namespace quvane
