#include "dialogs/frmDatalog.h"

#include "colour/Colorimetry.h"
#include "dialogs/InstrumentWindow.h"
#include "link/modGlobals.h"
#include "policy/Prompter.h"
#include "records/InstrumentCodes.h"
#include "records/QVLog.h"
#include "records/SetupText.h"
#include "records/SetupTolerance.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QLocale>

#include <cmath>
#include <limits>

using namespace quvane;

frmDatalog::frmDatalog(InstrumentWindow &main, QWidget *parent)
    : QvDialog(QString(), main.identity(), parent), m_main(main), m_setups(main.sensor())
{
    ui.setupUi(this);
    ui.lblComparison->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
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

QString frmDatalog::datalogComparison(const QVLog &record)
{
    using namespace Colour;
    const std::optional<Illuminant> illuminant = Codes::illuminant(record.Illuminant);
    if (!record.Spectral || !illuminant)
        return QString();
    const Colorimeter meter(*illuminant, Codes::observer(record.Observer));
    const Xyz xyz = meter.tristimulus(record.spectrum());
    // The record's scale and index in the set-up's codes.
    std::optional<std::array<double, 3>> scale;
    if (const auto kind = Codes::scale(record.ColorScale))
        scale = scaleValues(*kind, xyz, meter.white());
    std::optional<double> index;
    if (const auto kind = Codes::index(record.ColorIndex))
        index = indexValue(*kind, xyz, meter);
    const QLocale locale;
    QString text = tr("%1  instrument  computed\n").arg(QString(), -12);
    const auto row = [&](const QString &name, double theirs, std::optional<double> ours) {
        text +=
            QStringLiteral("%1  %2  %3%4\n")
                .arg(name, -12)
                .arg(locale.toString(theirs, 'f', 2), 10)
                .arg(ours ? locale.toString(Colour::unsignedZero(*ours, 2), 'f', 2)
                          : tr("not defined"),
                     8)
                .arg(!ours || std::fabs(*ours - theirs) > 0.05 ? QStringLiteral("  *") : QString());
    };
    if (scale) {
        for (int k = 0; k < 3; ++k)
            row(ScaleLabel(record.ColorScale, k + 1), record.ScaleData(k + 1), (*scale)[size_t(k)]);
    }
    if (record.ColorIndex != 0)
        row(IndexLabel(record.ColorIndex), record.IndexData(), index);
    return text + tr("* differs by more than 0.05");
}

QString frmDatalog::verdictComparison(const QVLog &record, const QVSetup &setup)
{
    // 1 pass, 0 fail, -1 none, for each side.
    const int theirs = record.PassFail < 0 ? -1 : record.PassFail != 0 ? 1 : 0;
    QString ours = tr("none");
    int judged = -1;
    if (record.Spectral) {
        if (const auto verdict = quvane::setupVerdict(setup, record.spectrum())) {
            ours = Colour::verdictWord(*verdict).toLower();
            judged = *verdict == Colour::Verdict::Fail ? 0 : 1;
        }
    }
    const QString words[] = {tr("fail"), tr("pass")};
    return tr("%1  %2  %3%4\n")
               .arg(tr("Pass/fail"), -12)
               .arg(theirs < 0 ? tr("none") : words[theirs], 10)
               .arg(ours, 8)
               .arg(theirs != judged ? QStringLiteral("  *") : QString()) +
           tr("(computed: against set-up %1 and its tolerances)").arg(setup.SetupNumber);
}

void frmDatalog::cmdGet_Click()
{
    const std::optional<qint16> n = recordNumber(ui.txtNumber->text());
    if (n && *n > 0) {
        const QVLog *record = m_main.GetDatalogRecord(static_cast<qint16>(*n - 1))
                                  ? m_main.lastDatalogRecord()
                                  : nullptr;
        QString text = record ? datalogComparison(*record) : QString();
        // After the record's own exchange, the set-up it names (once), to judge it by.
        if (const QVSetup *setup = record ? m_setups.setup(record->SetupNumber) : nullptr)
            text += QLatin1Char('\n') + verdictComparison(*record, *setup);
        ui.lblComparison->setText(text);
        ui.txtNumber->setFocus();
        return;
    }
    m_main.prompter().MsgBox(QCoreApplication::translate("Quvane", "Invalid record number!"),
                             MsgButtons::OK, MsgIcon::Information, mainTitle());
}
