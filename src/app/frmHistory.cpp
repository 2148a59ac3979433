#include "app/frmHistory.h"

#include "dialogs/FormHelpers.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QShortcut>

using namespace quvane;

frmHistory::frmHistory(InstrumentIdentity identity, QWidget *parent) : QWidget(parent, Qt::Window)
{
    ui.setupUi(this);
    SetFormIcon(*this, identity.type);
    setWindowTitle(QCoreApplication::translate("Quvane", "History - ") + identity.mainTitle());
    ui.tblMeasurements->setModel(&m_model);
    ui.tblMeasurements->sortByColumn(HistoryModel::Taken, Qt::DescendingOrder);
    ui.tblMeasurements->horizontalHeader()->setStretchLastSection(true);
    ui.tblMeasurements->verticalHeader()->hide();
    ui.tblMeasurements->setWordWrap(false);
    ui.tblMeasurements->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    ui.dtSince->setDate(QDate::currentDate().addMonths(-1));
    ui.dtUntil->setDate(QDate::currentDate());
    connect(ui.chkSince, &QCheckBox::toggled, ui.dtSince, &QWidget::setEnabled);
    connect(ui.chkUntil, &QCheckBox::toggled, ui.dtUntil, &QWidget::setEnabled);
    for (QCheckBox *box : {ui.chkSince, ui.chkUntil})
        connect(box, &QCheckBox::toggled, this, &frmHistory::applyFilter);
    for (QDateEdit *date : {ui.dtSince, ui.dtUntil})
        connect(date, &QDateEdit::dateChanged, this, &frmHistory::applyFilter);
    connect(ui.cboSource, &QComboBox::currentIndexChanged, this, &frmHistory::applyFilter);
    // Texts are applied when typed out: Enter, or leaving the field.
    for (QLineEdit *text : {ui.txtProduct, ui.txtSample, ui.txtInstrument})
        connect(text, &QLineEdit::editingFinished, this, &frmHistory::applyFilter);
    connect(ui.cmdRefresh, &QPushButton::clicked, this, [this] {
        m_model.readStandards();
        applyFilter();
    });
    // A standard picked judges every measurement; then a verdict can pick among them.
    const auto judge = [this] {
        const int chosen = ui.cboStandard->currentIndex() - 1;
        ui.cboVerdict->setEnabled(chosen >= 0);
        static const std::optional<Colour::Verdict> verdicts[] = {
            std::nullopt, Colour::Verdict::Pass, Colour::Verdict::Warn, Colour::Verdict::Fail};
        m_model.setJudging(chosen >= 0 && chosen < m_standards.size()
                               ? std::optional<Standard>(m_standards[chosen])
                               : std::nullopt,
                           verdicts[std::max(0, ui.cboVerdict->currentIndex())]);
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
    });
    connect(ui.cmdShow, &QPushButton::clicked, this, &frmHistory::showChosen);
    connect(ui.tblMeasurements, &QTableView::activated, this, &frmHistory::showChosen);
    connect(ui.cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(&m_model, &HistoryModel::failed, this, &frmHistory::sayStatus);
    // After the reset the next page is asked for: the status says it is read.
    connect(&m_model, &QAbstractItemModel::modelReset, this, &frmHistory::sayStatus,
            Qt::QueuedConnection);
    connect(&m_model, &HistoryModel::pageLoaded, this, &frmHistory::sayStatus);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    resize(1040, 520);
}

void frmHistory::open(const HistoryTarget &target)
{
    if (!target.location) {
        m_model.close();
        ui.lblStatus->setText(
            QCoreApplication::translate("Quvane", "The history is turned off in Preferences."));
        return;
    }
    // The columns fit their first page; the operator may widen them.
    connect(
        &m_model, &HistoryModel::pageLoaded, this,
        [this] { ui.tblMeasurements->resizeColumnsToContents(); }, Qt::SingleShotConnection);
    m_model.open(*target.location, target.station, filter());
    m_model.readStandards();
    sayStatus();
}

void frmHistory::applyFilter()
{
    m_model.setFilter(filter());
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
    return filter;
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
    if (!m_model.error().isEmpty()) {
        ui.lblStatus->setText(m_model.error());
        return;
    }
    const int shown = m_model.rowCount();
    if (m_model.reading() && shown == 0) {
        ui.lblStatus->setText(QCoreApplication::translate("Quvane", "Reading the history..."));
        return;
    }
    ui.lblStatus->setText(
        m_model.canFetchMore({}) || m_model.reading()
            ? QCoreApplication::translate("Quvane", "%1 measurements shown; "
                                                    "more as you scroll")
                  .arg(shown)
        : shown == 1 ? QCoreApplication::translate("Quvane", "1 measurement")
                     : QCoreApplication::translate("Quvane", "%1 measurements").arg(shown));
}
