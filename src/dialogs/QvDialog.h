#pragma once

#include "link/InstrumentSession.h"

#include <QDialog>

namespace quvane {

// The common life of the program's modal dialogs: at load the window icon and the caption (the
// design caption followed by the instrument name); Form_Activate once, when first shown.
class QvDialog : public QDialog
{
    Q_OBJECT

protected:
    QvDialog(const QString &designCaption, InstrumentIdentity identity, QWidget *parent);

    // The caption of the dialog's message boxes.
    QString mainTitle() const { return m_identity.mainTitle(); }
    const InstrumentIdentity &identity() const { return m_identity; }

    // Sets the icon and appends the instrument name to the caption.
    void Form_Load();
    virtual void Form_Activate() {}
    void showEvent(QShowEvent *event) override;

private:
    InstrumentIdentity m_identity;
    bool m_activated = false;
};

} // namespace quvane
