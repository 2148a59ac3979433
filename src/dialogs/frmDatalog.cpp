#include "dialogs/frmDatalog.h"

#include "dialogs/InstrumentWindow.h"
#include "link/modGlobals.h"
#include "policy/Prompter.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QLocale>

#include <cmath>
#include <limits>

using namespace quvane;

frmDatalog::frmDatalog(InstrumentWindow &main, QWidget *parent)
    : QvDialog(QString(), main.identity(), parent), m_main(main)
{
    ui.setupUi(this);
    ui.txtNumber->installEventFilter(this);
    ui.spnNumber->setField(ui.txtNumber);
    connect(ui.spnNumber, &SpinButton::down, this, [this] { spnNumber_Change(-1); });
    connect(ui.spnNumber, &SpinButton::up, this, [this] { spnNumber_Change(+1); });
    connect(ui.cmdGet, &QPushButton::clicked, this, &frmDatalog::cmdGet_Click);
    connect(ui.cmdDone, &QPushButton::clicked, this, &frmDatalog::cmdDone_Click);
    Form_Load();
}

std::optional<qint16> frmDatalog::recordNumber(const QString &text)
{
    bool ok = false;
    double value = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok)
        value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<qint16>::min() ||
        rounded > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(rounded);
}

bool frmDatalog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui.txtNumber && event->type() == QEvent::FocusIn) {
        // After the line edit's own focus handling, which may place the cursor.
        QMetaObject::invokeMethod(this, &frmDatalog::txtNumber_GotFocus, Qt::QueuedConnection);
    }
    return QvDialog::eventFilter(watched, event);
}

void frmDatalog::txtNumber_GotFocus()
{
    ui.txtNumber->setSelection(0, static_cast<int>(ui.txtNumber->text().size()));
}

void frmDatalog::spnNumber_Change(int step)
{
    const std::optional<qint16> n = recordNumber(ui.txtNumber->text());
    if (n && (step < 0 ? *n > 1 : *n < 999)) {
        ui.txtNumber->setText(QString::number(*n + step));
        ui.txtNumber->setFocus();
        QCoreApplication::processEvents();
    }
    ui.txtNumber->setFocus();
}

void frmDatalog::cmdGet_Click()
{
    const std::optional<qint16> n = recordNumber(ui.txtNumber->text());
    if (n && *n > 0) {
        m_main.GetDatalogRecord(static_cast<qint16>(*n - 1));
        ui.txtNumber->setFocus();
        return;
    }
    MsgBox(QCoreApplication::translate("Quvane", "Invalid record number!"), MsgButtons::OK,
           MsgIcon::Information, mainTitle());
}
