#include "dialogs/QvDialog.h"

#include "dialogs/FormHelpers.h"

namespace quvane {

QvDialog::QvDialog(const QString &designCaption, InstrumentIdentity identity, QWidget *parent)
    : QDialog(parent), m_identity(std::move(identity))
{
    setWindowTitle(designCaption);
}

void QvDialog::Form_Load()
{
    SetFormIcon(*this, m_identity.type);
    AppendInstrumentName(*this, m_identity.name);
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
