#include "app/frmHistory.h"

#include "dialogs/FormHelpers.h"
#include "link/QuvaneError.h"
#include "policy/OffThread.h"
#include "policy/Prompter.h"
#include "policy/VerdictText.h"
#include "report/HistoryReport.h"
#include "store/HistoryError.h"
#include "store/HistoryWorkbook.h"
#include "store/StandardExchange.h"
#include "transfer/OutputFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QPrintDialog>
#include <QPrinter>
#include <QShortcut>

using namespace quvane;
using Colour::TrendPoint;

namespace {

QString fixed(double value, int decimals = 3)
{
    return QLocale().toString(Colour::unsignedZero(value, decimals), 'f', decimals);
}

} // namespace

frmHistory::frmHistory(InstrumentIdentity identity, Prompter &prompter, QWidget *parent)
    : QWidget(parent, Qt::Window), m_prompter(prompter)
{
    ui.setupUi(this);
    SetFormIcon(*this, identity.type);
    setWindowTitle(tr("History - ") + identity.mainTitle());
    ui.tblMeasurements->setModel(&m_model);
    ui.tblMeasurements->sortByColumn(HistoryModel::Taken, Qt::DescendingOrder);
    ui.tblMeasurements->horizontalHeader()->setStretchLastSection(true);
    ui.tblMeasurements->verticalHeader()->hide();
    ui.tblMeasurements->setWordWrap(false);
    ui.tblMeasurements->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    ui.dtSince->setDate(QDate::currentDate().addMonths(-1));
    ui.dtUntil->setDate(QDate::currentDate());
    ui.dtBaseSince->setDate(QDate::currentDate().addMonths(-1));
    ui.dtBaseUntil->setDate(QDate::currentDate());
    connect(ui.chkSince, &QCheckBox::toggled, ui.dtSince, &QWidget::setEnabled);
    connect(ui.chkUntil, &QCheckBox::toggled, ui.dtUntil, &QWidget::setEnabled);
    connect(ui.chkBaseSince, &QCheckBox::toggled, ui.dtBaseSince, &QWidget::setEnabled);
    connect(ui.chkBaseUntil, &QCheckBox::toggled, ui.dtBaseUntil, &QWidget::setEnabled);
    for (QCheckBox *box : {ui.chkSince, ui.chkUntil})
        connect(box, &QCheckBox::toggled, this, &frmHistory::applyFilter);
    for (QDateEdit *date : {ui.dtSince, ui.dtUntil})
        connect(date, &QDateEdit::dateChanged, this, &frmHistory::applyFilter);
    // The base period changes the control chart's lines alone: the trend read is kept.
    for (QCheckBox *box : {ui.chkBaseSince, ui.chkBaseUntil})
        connect(box, &QCheckBox::toggled, this, &frmHistory::plotTrend);
    for (QDateEdit *date : {ui.dtBaseSince, ui.dtBaseUntil})
        connect(date, &QDateEdit::dateChanged, this, &frmHistory::plotTrend);
    connect(ui.cboSource, &QComboBox::currentIndexChanged, this, &frmHistory::applyFilter);
    // Texts are applied when typed out: Enter, or leaving the field.
    for (QLineEdit *text : {ui.txtProduct, ui.txtSample, ui.txtInstrument, ui.txtStation})
        connect(text, &QLineEdit::editingFinished, this, &frmHistory::applyFilter);
    connect(ui.cmdRefresh, &QPushButton::clicked, this, [this] {
        m_model.readStandards();
        applyFilter();
    });
    auto *refresh = new QShortcut(QKeySequence::Refresh, this);
    connect(refresh, &QShortcut::activated, ui.cmdRefresh, &QPushButton::click);
    // A standard picked judges every measurement; then a verdict can pick among them.
    const auto judge = [this] {
        ui.cboVerdict->setEnabled(pickedStandard().has_value());
        showVerification();
        m_model.setJudging(pickedStandard(), pickedVerdict());
        setWorking(m_working);
        m_trendStale = true;
        refreshTrend();
    };
    connect(ui.cboStandard, &QComboBox::activated, this, judge);
    connect(ui.cboVerdict, &QComboBox::currentIndexChanged, this, judge);
    connect(&m_model, &HistoryModel::standardsRead, this, [this](const QList<Standard> &all) {
        // The one picked stays picked while the history holds it.
        const QString picked =
            ui.cboStandard->currentIndex() > 0 ? ui.cboStandard->currentText() : QString();
        m_standards = all;
        const QSignalBlocker quiet(ui.cboStandard);
        while (ui.cboStandard->count() > 1)
            ui.cboStandard->removeItem(1);
        for (const Standard &standard : all)
            ui.cboStandard->addItem(standard.name);
        ui.cboStandard->setCurrentIndex(std::max(0, ui.cboStandard->findText(picked)));
        showVerification();
    });
    connect(ui.cmdShow, &QPushButton::clicked, this, &frmHistory::showChosen);
    connect(ui.tblMeasurements, &QTableView::activated, this, &frmHistory::showChosen);
    connect(ui.cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(ui.cmdExport, &QPushButton::clicked, this, &frmHistory::exportListed);
    connect(ui.cmdImport, &QPushButton::clicked, this, &frmHistory::importCxf);
    connect(ui.cmdReport, &QPushButton::clicked, this, &frmHistory::saveReport);
    connect(ui.cmdPrint, &QPushButton::clicked, this, &frmHistory::printReport);
    connect(ui.cmdCancel, &QPushButton::clicked, this, [this] { m_cancelRequested = true; });
    connect(ui.tabViews, &QTabWidget::currentChanged, this, [this] {
        if (m_trendStale)
            refreshTrend();
    });
    connect(ui.chtTrend, &TrendCharts::pointClicked, this, &frmHistory::showStored);
    connect(ui.chkTile, &QCheckBox::clicked, this, &frmHistory::saveVerification);
    connect(ui.txtCertificate, &QLineEdit::editingFinished, this, [this] {
        const std::optional<Standard> standard = pickedStandard();
        if (standard && standard->verification &&
            standard->certificate != ui.txtCertificate->text().trimmed())
            saveVerification();
    });
    connect(&m_model, &HistoryModel::failed, this, &frmHistory::sayStatus);
    // After the reset the next page is asked for: the status says it is read.
    connect(&m_model, &QAbstractItemModel::modelReset, this, &frmHistory::sayStatus,
            Qt::QueuedConnection);
    connect(&m_model, &HistoryModel::pageLoaded, this, &frmHistory::sayStatus);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    ui.tblStatistics->setColumnCount(2);
    ui.tblStatistics->setHorizontalHeaderLabels({tr("Statistic"), tr("Value")});
    ui.tblStatistics->verticalHeader()->hide();
    ui.tblStatistics->horizontalHeader()->setStretchLastSection(true);
    ui.tblStatistics->setMinimumWidth(fontMetrics().averageCharWidth() * 34);
    setWorking(false);
    resize(1040, 700);
}

void frmHistory::open(const HistoryTarget &target)
{
    m_target = target;
    m_trendStale = true;
    if (!target.location) {
        m_model.close();
        ui.lblStatus->setText(tr("The history is turned off in Preferences."));
        setWorking(false);
        return;
    }
    // The columns fit their first page; the operator may widen them.
    connect(
        &m_model, &HistoryModel::pageLoaded, this,
        [this] { ui.tblMeasurements->resizeColumnsToContents(); }, Qt::SingleShotConnection);
    m_model.open(*target.location, target.station, filter());
    m_model.readStandards();
    setWorking(false);
    sayStatus();
    refreshTrend();
}

void frmHistory::applyFilter()
{
    m_model.setFilter(filter());
    m_trendStale = true;
    refreshTrend();
}

HistoryFilter frmHistory::filter() const
{
    HistoryFilter filter;
    if (ui.chkSince->isChecked())
        filter.since = QDateTime(ui.dtSince->date(), QTime(0, 0));
    if (ui.chkUntil->isChecked())
        filter.until = QDateTime(ui.dtUntil->date(), QTime(23, 59, 59, 999));
    static const std::optional<MeasurementSource> sources[] = {
        std::nullopt, MeasurementSource::Live, MeasurementSource::Capture,
        MeasurementSource::Conversion, MeasurementSource::Import};
    filter.source = sources[std::max(0, ui.cboSource->currentIndex())];
    filter.product = ui.txtProduct->text().trimmed();
    filter.samplePattern = ui.txtSample->text().trimmed();
    filter.instrument = ui.txtInstrument->text().trimmed();
    filter.station = ui.txtStation->text().trimmed();
    return filter;
}

std::optional<Standard> frmHistory::pickedStandard() const
{
    const int chosen = ui.cboStandard->currentIndex() - 1;
    return chosen >= 0 && chosen < m_standards.size() ? std::optional(m_standards[chosen])
                                                      : std::nullopt;
}

std::optional<Colour::Verdict> frmHistory::pickedVerdict() const
{
    static const std::optional<Colour::Verdict> verdicts[] = {
        std::nullopt, Colour::Verdict::Pass, Colour::Verdict::Warn, Colour::Verdict::Fail};
    return pickedStandard() ? verdicts[std::max(0, ui.cboVerdict->currentIndex())] : std::nullopt;
}

QString frmHistory::selectionText() const
{
    QStringList words;
    const HistoryFilter f = filter();
    if (f.since.isValid())
        words << tr("taken on or after %1").arg(f.since.date().toString(Qt::ISODate));
    if (f.until.isValid())
        words << tr("taken on or before %1").arg(f.until.date().toString(Qt::ISODate));
    if (f.source)
        words << tr("from %1").arg(ui.cboSource->currentText());
    if (!f.product.isEmpty())
        words << tr("of the product %1").arg(f.product);
    if (!f.samplePattern.isEmpty())
        words << tr("sample IDs %1").arg(f.samplePattern);
    if (!f.instrument.isEmpty())
        words << tr("of the instrument %1").arg(f.instrument);
    if (!f.station.isEmpty())
        words << tr("stored by the station %1").arg(f.station);
    if (pickedVerdict())
        words << tr("verdict %1").arg(verdictName(*pickedVerdict()));
    return words.isEmpty() ? tr("every measurement of the history") : words.join(tr(", "));
}

void frmHistory::showChosen()
{
    const QModelIndex chosen = ui.tblMeasurements->currentIndex();
    if (!chosen.isValid() || !showMeasurement)
        return;
    showMeasurement(m_model.measurement(chosen.row()));
}

void frmHistory::sayStatus()
{
    if (m_working)
        return; // the work's own words stand meanwhile
    if (!m_model.error().isEmpty()) {
        ui.lblStatus->setText(m_model.error());
        return;
    }
    const int shown = m_model.rowCount();
    if (m_model.reading() && shown == 0) {
        ui.lblStatus->setText(tr("Reading the history..."));
        return;
    }
    ui.lblStatus->setText(m_model.canFetchMore({}) || m_model.reading()
                              ? tr("%1 measurements shown; more as you scroll").arg(shown)
                          : shown == 1 ? tr("1 measurement")
                                       : tr("%1 measurements").arg(shown));
}

void frmHistory::start(const QString &caption, int maximum)
{
    ui.lblStatus->setText(caption);
    ui.prgWork->setRange(0, maximum);
    ui.prgWork->setValue(0);
    ui.prgWork->show();
    ui.cmdCancel->show();
}

void frmHistory::setMessage(const QString &text)
{
    ui.lblStatus->setText(text);
}

void frmHistory::setValue(int value)
{
    ui.prgWork->setValue(value);
}

void frmHistory::finish()
{
    ui.prgWork->hide();
    ui.cmdCancel->hide();
}

void frmHistory::setWorking(bool working)
{
    m_working = working;
    const bool open = m_target.location.has_value();
    ui.cmdExport->setEnabled(open && !working);
    ui.cmdImport->setEnabled(open && !working);
    ui.cmdReport->setEnabled(open && !working && pickedStandard());
    ui.cmdPrint->setEnabled(open && !working && pickedStandard());
    if (!working)
        finish();
}

void frmHistory::sayError(const QString &text)
{
    m_prompter.MsgBox(text, MsgButtons::OK, MsgIcon::Exclamation, windowTitle());
}

bool frmHistory::runWithStore(const std::function<void(HistoryStore &, TransferProgress &)> &work)
{
    if (!m_target.location)
        return false;
    m_cancelRequested = false;
    setWorking(true);
    const HistoryTarget target = m_target;
    QString error;
    try {
        runOffThread(*this, [&](TransferProgress &progress) {
            HistoryStore store(*target.location, target.station);
            work(store, progress);
        });
    } catch (const HistoryError &e) {
        error = e.message();
    } catch (const QuvaneError &e) {
        error = e.description();
    }
    setWorking(false);
    sayStatus();
    if (m_trendAgain && !m_readingTrend) {
        // The filters changed while other work ran: the trend follows them once it is done.
        m_trendAgain = false;
        m_trendStale = true;
        QMetaObject::invokeMethod(this, &frmHistory::refreshTrend, Qt::QueuedConnection);
    }
    if (!error.isEmpty()) {
        ui.lblStatus->setText(error);
        return false;
    }
    return true;
}

void frmHistory::refreshTrend()
{
    if (ui.tabViews->currentWidget() != ui.tabTrend)
        return; // read when the tab is shown
    if (m_working) {
        // Read again after the work under way; a trend of filters that changed meanwhile is
        // not worth finishing, a report or an export is.
        m_trendAgain = true;
        m_cancelRequested = m_cancelRequested || m_readingTrend;
        return;
    }
    m_trendStale = false;
    m_trend.clear();
    const std::optional<Standard> standard = pickedStandard();
    if (!standard || !m_target.location) {
        ui.chtTrend->clear();
        ui.tblStatistics->setRowCount(0);
        ui.lblTrend->setText(!m_target.location ? tr("The history is turned off in Preferences.")
                                                : tr("Pick a standard to see its trend."));
        return;
    }
    HistoryFilter selected = filter();
    if (standard->verification)
        selected.samplePattern = checkPattern(standard->name);
    QList<TrendPoint> read;
    bool cancelled = false;
    m_readingTrend = true;
    const bool ok = runWithStore([&](HistoryStore &store, TransferProgress &progress) {
        progress.start(tr("Reading the trend of %1...").arg(standard->name), 0);
        const QList<HistoryStore::SpectrumRow> rows = store.spectra(selected);
        progress.start(tr("Judging %1 measurements...").arg(rows.size()), int(rows.size()));
        read = trendOf(*standard, rows, [&](int done, int) {
            progress.setValue(done);
            return !progress.cancelRequested();
        });
        cancelled = progress.cancelRequested();
    });
    m_readingTrend = false;
    if (m_trendAgain) {
        m_trendAgain = false;
        m_trendStale = true;
        refreshTrend();
        return;
    }
    if (!ok || cancelled) {
        ui.chtTrend->clear();
        ui.tblStatistics->setRowCount(0);
        ui.lblTrend->setText(ok ? tr("The trend was cancelled: Refresh reads it again.")
                                : ui.lblStatus->text());
        m_trendStale = true;
        return;
    }
    m_trend = read;
    plotTrend();
}

void frmHistory::plotTrend()
{
    const std::optional<Standard> standard = pickedStandard();
    if (!standard || m_trendStale)
        return;
    const QDateTime from =
        ui.chkBaseSince->isChecked() ? QDateTime(ui.dtBaseSince->date(), QTime(0, 0)) : QDateTime();
    const QDateTime until = ui.chkBaseUntil->isChecked()
                                ? QDateTime(ui.dtBaseUntil->date(), QTime(23, 59, 59, 999))
                                : QDateTime();
    m_limits = Colour::controlLimits(m_trend, from, until);
    const Colour::ToleranceSet set = standard->toleranceSet();
    ui.chtTrend->plot(m_trend, set, m_limits);
    const Colour::TrendStatistics s = Colour::trendStatistics(m_trend);
    int beyond = 0;
    for (const TrendPoint &point : m_trend)
        beyond += m_limits && m_limits->beyond(point.dE) ? 1 : 0;
    ui.lblTrend->setText(
        m_trend.isEmpty()
            ? tr("%1 judges none of the measurements selected.").arg(standard->name)
            : (standard->verification
                   ? tr("%1, %2: %3 checks of the instruments against the tile from %4 to %5 (%6).")
                   : tr("%1, %2: %3 measurements from %4 to %5 (%6)."))
                  .arg(standard->name, toleranceText(set))
                  .arg(m_trend.size())
                  .arg(QLocale().toString(m_trend.first().taken, QLocale::ShortFormat),
                       QLocale().toString(m_trend.last().taken, QLocale::ShortFormat),
                       selectionText()));
    const auto rate = [&s](int n) {
        return tr("%1 (%2 %)").arg(n).arg(QLocale().toString(100 * s.rate(n), 'f', 1));
    };
    QList<std::pair<QString, QString>> rows{{tr("Measurements"), QString::number(s.count)},
                                            {tr("Pass"), rate(s.pass)},
                                            {tr("Warn"), rate(s.warn)},
                                            {tr("Fail"), rate(s.fail)}};
    for (const auto &[name, spread] :
         {std::pair{tr("dE"), s.dE}, {tr("dL*"), s.dL}, {tr("da*"), s.da}, {tr("db*"), s.db}}) {
        rows << std::pair{tr("%1 mean").arg(name), fixed(spread.mean)}
             << std::pair{tr("%1 std. deviation").arg(name), fixed(spread.deviation)}
             << std::pair{tr("%1 minimum").arg(name), fixed(spread.minimum)}
             << std::pair{tr("%1 maximum").arg(name), fixed(spread.maximum)};
    }
    if (m_limits)
        rows << std::pair{tr("Control centre"), fixed(m_limits->centre)}
             << std::pair{tr("Control upper"), fixed(m_limits->upper())}
             << std::pair{tr("Control lower"), fixed(m_limits->lower())}
             << std::pair{tr("Control base"), QString::number(m_limits->basePoints)}
             << std::pair{tr("Beyond control"), QString::number(beyond)};
    ui.tblStatistics->setRowCount(int(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        auto *name = new QTableWidgetItem(rows[i].first);
        auto *value = new QTableWidgetItem(rows[i].second);
        value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        ui.tblStatistics->setItem(i, 0, name);
        ui.tblStatistics->setItem(i, 1, value);
    }
    ui.tblStatistics->resizeColumnToContents(0);
}

void frmHistory::showVerification()
{
    const std::optional<Standard> standard = pickedStandard();
    ui.chkTile->setEnabled(standard.has_value());
    ui.chkTile->setChecked(standard && standard->verification);
    ui.txtCertificate->setEnabled(standard && standard->verification);
    ui.txtCertificate->setText(standard ? standard->certificate : QString());
}

void frmHistory::saveVerification()
{
    const std::optional<Standard> standard = pickedStandard();
    if (!standard)
        return;
    const bool tile = ui.chkTile->isChecked();
    const QString certificate = ui.txtCertificate->text().trimmed();
    if (!runWithStore([&](HistoryStore &store, TransferProgress &) {
            store.setVerification(standard->name, tile, certificate);
        }))
        return sayError(ui.lblStatus->text());
    // The standard as the list keeps it (which may have been read again meanwhile), and the
    // trend of the tile's checks alone.
    for (Standard &kept : m_standards) {
        if (kept.name == standard->name) {
            kept.verification = tile;
            kept.certificate = tile ? certificate : QString();
        }
    }
    showVerification();
    m_trendStale = true;
    refreshTrend();
}

void frmHistory::showStored(qint64 id)
{
    std::optional<StoredMeasurement> found;
    if (!runWithStore([&](HistoryStore &store, TransferProgress &) { found = store.find(id); }))
        return;
    if (!found) {
        ui.lblStatus->setText(tr("The measurement %1 is no longer in the history.").arg(id));
        return;
    }
    if (showMeasurement)
        showMeasurement(*found);
}

frmHistory::Listing frmHistory::listing(bool checksOfATile) const
{
    Listing listing{filter(), pickedStandard(), pickedVerdict()};
    if (checksOfATile && listing.standard && listing.standard->verification &&
        listing.filter.samplePattern.isEmpty())
        listing.filter.samplePattern = checkPattern(listing.standard->name);
    return listing;
}

QList<StoredMeasurement> frmHistory::Listing::read(HistoryStore &store,
                                                   TransferProgress &progress) const
{
    progress.start(tr("Reading the history..."), 0);
    QList<StoredMeasurement> rows = store.list(filter);
    if (!standard || !verdict)
        return rows;
    const Colour::Judge judged(standard->colour(), standard->toleranceSet());
    QList<StoredMeasurement> kept;
    for (const StoredMeasurement &row : rows) {
        const Colour::Judgement j = judged(row.value.spectrum);
        if (j.judged() && j.overall == *verdict)
            kept << row;
    }
    return kept;
}

QString frmHistory::askSaveFile(const QString &title, const QString &filter, const QString &suffix)
{
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.title = title;
    request.filter = filter;
    request.overwritePrompt = true;
    request.hideReadOnly = true;
    QString file = m_prompter.fileDialog(request);
    if (!file.isEmpty() && QFileInfo(file).suffix().isEmpty())
        file += suffix;
    return file;
}

void frmHistory::exportListed()
{
    const QString file =
        askSaveFile(tr("Export"), tr("Excel Workbook (*.xlsx)|*.xlsx|CxF3 (*.cxf)|*.cxf"),
                    QStringLiteral(".xlsx"));
    if (file.isEmpty())
        return;
    const bool cxf = file.endsWith(QLatin1String(".cxf"), Qt::CaseInsensitive);
    const std::optional<Standard> standard = pickedStandard();
    int written = 0;
    QString failure;
    const Listing listed = listing(false);
    const bool ok = runWithStore([&](HistoryStore &store, TransferProgress &progress) {
        const QList<StoredMeasurement> rows = listed.read(store, progress);
        if (progress.cancelRequested())
            return;
        progress.start(tr("Writing %1...").arg(QFileInfo(file).fileName()), 0);
        try {
            if (cxf) {
                OutputFile out(file);
                out.write(cxfDocument(standard ? QList<Standard>{*standard} : QList<Standard>{},
                                      rows, QDateTime::currentDateTime()));
                out.commit();
            } else if (standard) {
                const Colour::Judge judged(standard->colour(), standard->toleranceSet());
                writeHistoryWorkbook(file, rows, judgementColumns(standard->toleranceSet()),
                                     [&](const StoredMeasurement &row) {
                                         return judgementFields(judged(row.value.spectrum));
                                     });
            } else {
                writeHistoryWorkbook(file, rows);
            }
            written = int(rows.size());
        } catch (const QuvaneError &e) {
            failure = e.description();
        }
    });
    if (!failure.isEmpty())
        return sayError(failure);
    if (ok)
        ui.lblStatus->setText(m_cancelRequested
                                  ? tr("The export was cancelled; nothing was written.")
                                  : tr("%1 measurements exported to %2")
                                        .arg(written)
                                        .arg(QDir::toNativeSeparators(file)));
}

void frmHistory::importCxf()
{
    FileDialogRequest request;
    request.title = tr("Import");
    request.filter = tr("CxF3 (*.cxf)|*.cxf|All Files|*.*");
    request.fileMustExist = true;
    request.hideReadOnly = true;
    const QString file = m_prompter.fileDialog(request);
    if (file.isEmpty())
        return;
    // The file is read, parsed and stored on the worker: a file of many measurements takes a
    // while.
    QString failure;
    CxfContents read;
    QStringList held;
    HistoryStore::Added added;
    if (!runWithStore([&](HistoryStore &store, TransferProgress &progress) {
            progress.start(tr("Importing %1...").arg(QFileInfo(file).fileName()), 0);
            QFile in(file);
            if (!in.open(QIODevice::ReadOnly)) {
                failure = tr("%1 cannot be read: %2")
                              .arg(QDir::toNativeSeparators(file), in.errorString());
                return;
            }
            QString error;
            const std::optional<CxfContents> contents = readCxf(in.readAll(), &error);
            if (!contents) {
                failure = tr("%1 was not imported: %2").arg(QDir::toNativeSeparators(file), error);
                return;
            }
            read = *contents;
            for (const Standard &standard : read.standards) {
                if (store.standard(standard.name))
                    held << standard.name;
                else
                    store.addStandard(standard);
            }
            added = store.add(read.trials);
        }))
        return sayError(ui.lblStatus->text());
    if (!failure.isEmpty())
        return sayError(failure);
    QString said = tr("%1 was imported. Standards: %2 added; measurements: %3 new, %4 already in "
                      "the history.")
                       .arg(QFileInfo(file).fileName())
                       .arg(read.standards.size() - held.size())
                       .arg(added.added)
                       .arg(added.known);
    if (!held.isEmpty())
        said += tr("\n\nThe history holds standards of these names already, which were left as "
                   "they are: %1.")
                    .arg(held.join(tr(", ")));
    m_prompter.MsgBox(said, MsgButtons::OK, MsgIcon::Information, windowTitle());
    m_model.readStandards();
    applyFilter();
}

namespace {

// The report of what the window lists, read and judged on the worker.
std::optional<HistoryReport> makeReport(const QList<StoredMeasurement> &rows,
                                        const Standard &standard, const QString &selection,
                                        const QDateTime &baseFrom, const QDateTime &baseUntil,
                                        const QString &station)
{
    if (rows.isEmpty())
        return std::nullopt;
    return HistoryReport(ReportInput{standard, rows, selection, baseFrom, baseUntil,
                                     QDateTime::currentDateTime(), station});
}

} // namespace

void frmHistory::saveReport()
{
    const std::optional<Standard> standard = pickedStandard();
    if (!standard)
        return;
    const QString file =
        askSaveFile(tr("Report"), tr("PDF Files (*.pdf)|*.pdf"), QStringLiteral(".pdf"));
    if (file.isEmpty())
        return;
    printOrSave(*standard, file, nullptr);
}

void frmHistory::printReport()
{
    const std::optional<Standard> standard = pickedStandard();
    if (!standard)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(reportPageSize(QLocale())));
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    printer.setDocName(tr("Report: %1").arg(standard->name));
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(tr("Print report"));
    if (m_prompter.showModal(dialog) != QDialog::Accepted)
        return;
    printOrSave(*standard, QString(), &printer);
}

void frmHistory::printOrSave(const Standard &standard, const QString &file, QPrinter *printer)
{
    const QString selection = selectionText();
    const QDateTime baseFrom =
        ui.chkBaseSince->isChecked() ? QDateTime(ui.dtBaseSince->date(), QTime(0, 0)) : QDateTime();
    const QDateTime baseUntil = ui.chkBaseUntil->isChecked()
                                    ? QDateTime(ui.dtBaseUntil->date(), QTime(23, 59, 59, 999))
                                    : QDateTime();
    const QString station = m_target.station.host;
    QString failure, done;
    const Listing listed = listing(true);
    const bool ok = runWithStore([&](HistoryStore &store, TransferProgress &progress) {
        const QList<StoredMeasurement> rows = listed.read(store, progress);
        if (progress.cancelRequested())
            return;
        const std::optional<HistoryReport> report =
            makeReport(rows, standard, selection, baseFrom, baseUntil, station);
        if (!report || report->trend().isEmpty()) {
            failure = rows.isEmpty() ? tr("No measurement is listed, so there is nothing to "
                                          "report.")
                                     : tr("%1 judges none of the %2 measurements listed.")
                                           .arg(standard.name)
                                           .arg(rows.size());
            return;
        }
        const auto pages = [&progress](int drawn, int count) {
            if (drawn == 0)
                progress.start(tr("Drawing the report..."), count);
            progress.setValue(drawn);
            return !progress.cancelRequested();
        };
        const QString kind = report->isBatch()
                                 ? tr("A batch report of %1").arg(rows.first().value.sampleId)
                                 : tr("A period report of %1 measurements").arg(rows.size());
        if (printer) {
            if (report->paint(*printer, pages))
                done = tr("%1 was printed.").arg(kind);
            return;
        }
        const QByteArray pdf = report->pdf(reportPageSize(QLocale()), pages);
        if (pdf.isEmpty())
            return;
        try {
            OutputFile out(file);
            out.write(pdf);
            out.commit();
            done = tr("%1 was saved as %2.").arg(kind, QDir::toNativeSeparators(file));
        } catch (const QuvaneError &e) {
            failure = e.description();
        }
    });
    if (!failure.isEmpty())
        return sayError(failure);
    if (ok)
        ui.lblStatus->setText(done.isEmpty() ? tr("The report was cancelled.") : done);
}
