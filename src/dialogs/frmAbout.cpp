#include "dialogs/frmAbout.h"

#include "dialogs/FormHelpers.h"
#include "link/modGlobals.h"
#include "policy/Prompter.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

using namespace quvane;

frmAbout::frmAbout(Prompter &prompter, InstrumentIdentity identity, QWidget *parent)
    : QDialog(parent), m_prompter(prompter), m_identity(std::move(identity))
{
    ui.setupUi(this);
    setWindowTitle(QStringLiteral("About ") + m_identity.mainTitle());
    SetFormPicture(*ui.picIcon, m_identity.type);
    ui.lblTitle->setText(m_identity.mainTitle());
    ui.lblVersion->setText(QStringLiteral("Version ") + version());
    connect(ui.cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(ui.cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
}

QString frmAbout::version()
{
    return QStringLiteral("%1.%2.%3")
        .arg(QUVANE_VERSION_MAJOR)
        .arg(QUVANE_VERSION_MINOR)
        .arg(QUVANE_VERSION_PATCH);
}

bool frmAbout::GetKeyValue(void *KeyRoot, const QString &KeyName, const QString &SubKeyRef,
                           QString &KeyVal)
{
    KeyVal.clear();
#ifdef Q_OS_WIN
    HKEY key = nullptr;
    // Read access is all this needs.
    if (RegOpenKeyExA(static_cast<HKEY>(KeyRoot), KeyName.toLocal8Bit().constData(), 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
        return false;
    char data[1024];
    DWORD type = 0;
    DWORD size = sizeof data;
    const bool read = RegQueryValueExA(key, SubKeyRef.toLocal8Bit().constData(), nullptr, &type,
                                       reinterpret_cast<BYTE *>(data), &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (!read)
        return false;
    QByteArray bytes(data, static_cast<qsizetype>(size));
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    if (type == REG_DWORD && bytes.size() == 4) {
        quint32 value = 0;
        std::memcpy(&value, bytes.constData(), 4);
        KeyVal = QString::number(value, 16);
    } else {
        KeyVal = QString::fromLocal8Bit(bytes);
    }
    return true;
#else
    Q_UNUSED(KeyRoot);
    Q_UNUSED(KeyName);
    Q_UNUSED(SubKeyRef);
    return false;
#endif
}

void frmAbout::StartSysInfo()
{
#ifdef Q_OS_WIN
    QString path;
    if (!GetKeyValue(HKEY_LOCAL_MACHINE,
                     QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                     QStringLiteral("PATH"), path)) {
        QString folder;
        if (GetKeyValue(HKEY_LOCAL_MACHINE,
                        QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                        QStringLiteral("MSINFO"), folder) &&
            QFileInfo::exists(folder + QStringLiteral("\\MSINFO32.EXE")))
            path = folder + QStringLiteral("\\MSINFO32.EXE");
    }
    // Started by its path, never through a shell.
    if (!path.isEmpty() && QProcess::startDetached(path, {}))
        return;
#endif
    m_prompter.MsgBox(
        QCoreApplication::translate("Quvane", "System Information Is Unavailable At This Time"),
        MsgButtons::OK, MsgIcon::Exclamation, m_identity.mainTitle());
}
