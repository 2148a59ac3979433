#pragma once

#include "policy/Prompter.h"
#include "ui_frmAbout.h" // generated from frmAbout.ui

#include "link/InstrumentSession.h"

#include <QDialog>

// The about box: title, version, the instrument's picture, a description, the credit for the
// graph component and the licence, and a button for the system-information program.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    frmAbout(quvane::Prompter &prompter, quvane::InstrumentIdentity identity,
             QWidget *parent = nullptr);

    Ui::frmAbout ui;

    // Major, minor and revision of the program, from the project's one version.
    static QString version();
    void StartSysInfo();
    // A string value of the registry under a root key; false when there is none (always
    // false off Windows).
    static bool GetKeyValue(void *KeyRoot, const QString &KeyName, const QString &SubKeyRef,
                            QString &KeyVal);

private:
    void cmdOK_Click() { accept(); }
    void cmdSysInfo_Click() { StartSysInfo(); }

    quvane::Prompter &m_prompter;
    quvane::InstrumentIdentity m_identity;
};
