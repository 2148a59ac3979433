#include "app/HistoryModel.h"

#include "policy/VerdictText.h"
#include "store/HistoryError.h"

#include <QCoreApplication>

namespace quvane {

HistoryModel::HistoryModel(QObject *parent) : QAbstractTableModel(parent), m_reader(new QObject)
{
    m_reader->moveToThread(&m_thread);
    m_thread.setObjectName(QStringLiteral("History reader"));
    m_thread.start();
}

HistoryModel::~HistoryModel()
{
    // The store closes on the thread that opened it.
    QMetaObject::invokeMethod(
        m_reader, [this] { m_store.reset(); }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_reader;
}

void HistoryModel::open(const HistoryLocation &location, const quvane::Station &station,
                        const HistoryFilter &filter)
{
    m_open = true;
    m_error.clear();
    QMetaObject::invokeMethod(m_reader, [this, location, station] {
        m_store.reset();
        try {
            m_store = std::make_unique<HistoryStore>(location, station);
        } catch (const HistoryError &error) {
            m_openError = error.message(); // the answer to each page
        }
    });
    setFilter(filter);
}

void HistoryModel::close()
{
    m_open = false;
    m_error.clear();
    QMetaObject::invokeMethod(m_reader, [this] { m_store.reset(); });
    reload();
}

void HistoryModel::setFilter(const HistoryFilter &filter)
{
    const HistoryFilter::Order order = m_filter.order;
    const bool descending = m_filter.descending;
    m_filter = filter;
    m_filter.order = order;
    m_filter.descending = descending;
    reload();
}

void HistoryModel::setJudging(const std::optional<Standard> &standard,
                              std::optional<Colour::Verdict> verdict)
{
    m_standard = standard;
    m_verdict = standard ? verdict : std::nullopt;
    reload();
}

void HistoryModel::readStandards()
{
    QMetaObject::invokeMethod(m_reader, [this] {
        QList<Standard> standards;
        try {
            if (m_store)
                standards = m_store->standards();
        } catch (const HistoryError &) {
            // Said by the pages, which fail alike.
        }
        QMetaObject::invokeMethod(this, [this, standards] { emit standardsRead(standards); });
    });
}

void HistoryModel::reload()
{
    beginResetModel();
    ++m_generation;
    m_rows.clear();
    m_judgements.clear();
    m_offset = 0;
    m_reading = false;
    m_atEnd = !m_open;
    endResetModel();
    if (canFetchMore({}))
        fetchMore({});
}

int HistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int HistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_standard ? ColumnCount : DeltaL;
}

namespace {

QString sourceText(MeasurementSource source)
{
    switch (source) {
    case MeasurementSource::Live:
        return QCoreApplication::translate("Quvane", "Sample");
    case MeasurementSource::Capture:
        return QCoreApplication::translate("Quvane", "Capture");
    case MeasurementSource::Conversion:
        return QCoreApplication::translate("Quvane", "Conversion");
    case MeasurementSource::Import:
        break;
    }
    return QCoreApplication::translate("Quvane", "Import");
}

} // namespace

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const StoredMeasurement &row = m_rows.at(index.row());
    const Measurement &m = row.value;
    if (role == Qt::TextAlignmentRole)
        return index.column() == Record || index.column() == Setup ||
                       (index.column() >= DeltaL && index.column() <= DeltaE)
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant();
    if (role != Qt::DisplayRole)
        return {};
    if (index.column() >= DeltaL && index.row() < m_judgements.size()) {
        const Colour::ConditionVerdict &v = m_judgements.at(index.row()).conditions.first();
        if (!v.judged)
            return index.column() == VerdictColumn ? tr("not judged") : QVariant();
        const Colour::LabDifference &d = v.difference;
        const double values[] = {d.dL, d.da, d.db, d.dE};
        if (index.column() != VerdictColumn)
            return QLocale().toString(Colour::unsignedZero(values[index.column() - DeltaL], 2), 'f',
                                      2);
        return verdictName(m_judgements.at(index.row()).overall);
    }
    switch (index.column()) {
    case Taken:
        return QLocale().toString(m.taken, QLocale::ShortFormat);
    case Product:
        return m.product;
    case SampleId:
        return m.sampleId;
    case Source:
        return sourceText(m.source);
    case Record:
        return m.recordNumber ? QVariant(m.recordNumber) : QVariant();
    case Setup:
        return m.setupNumber ? QVariant(m.setupNumber) : QVariant();
    case Instrument:
        return m.instrumentSerial;
    case Station:
        return row.station;
    default:
        return {};
    }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const names[] = {"Taken",  "Product",    "Sample ID", "Source", "Record",
                                        "Set-up", "Instrument", "Station",   "dL*",    "da*",
                                        "db*",    "dE",         "Verdict"};
    return section >= 0 && section < ColumnCount
               ? QCoreApplication::translate("Quvane", names[section])
               : QVariant();
}

bool HistoryModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_atEnd && !m_reading;
}

void HistoryModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || m_atEnd || m_reading)
        return;
    m_reading = true;
    HistoryFilter filter = m_filter;
    filter.limit = PageSize;
    QMetaObject::invokeMethod(m_reader, [this, filter, offset = m_offset, standard = m_standard,
                                         verdict = m_verdict, generation = m_generation] {
        Page page;
        try {
            if (!m_store)
                throw HistoryError(HistoryError::Cause::Unavailable, m_openError);
            // Pages of the history until one holds a page of the verdict asked for.
            const Colour::ToleranceSet set =
                standard ? standard->toleranceSet() : Colour::ToleranceSet();
            while (page.rows.size() < PageSize && !page.atEnd) {
                HistoryFilter next = filter;
                next.offset = offset + page.read;
                const QList<StoredMeasurement> rows = m_store->list(next);
                page.read += int(rows.size());
                page.atEnd = rows.size() < PageSize;
                for (const StoredMeasurement &row : rows) {
                    if (standard) {
                        Colour::Judgement j =
                            Colour::judge(standard->colour(), row.value.spectrum, set);
                        if (verdict && (!j.judged() || j.overall != *verdict))
                            continue;
                        page.judgements << std::move(j);
                    }
                    page.rows << row;
                }
                if (!verdict)
                    break;
            }
        } catch (const HistoryError &e) {
            page.error = e.message();
        }
        QMetaObject::invokeMethod(this, [this, generation, page] { pageRead(generation, page); });
    });
}

void HistoryModel::pageRead(quint64 generation, const Page &page)
{
    if (generation != m_generation)
        return;
    m_reading = false;
    if (!page.error.isEmpty()) {
        m_atEnd = true;
        m_error = page.error;
        emit failed(m_error);
        return;
    }
    m_offset += page.read;
    m_atEnd = page.atEnd;
    if (!page.rows.isEmpty()) {
        beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + page.rows.size() - 1));
        m_rows += page.rows;
        m_judgements += page.judgements;
        endInsertRows();
    }
    emit pageLoaded();
}

void HistoryModel::sort(int column, Qt::SortOrder order)
{
    // The history sorts; the judgement's columns are not its own.
    if (column < 0 || column >= DeltaL)
        return;
    m_filter.order = static_cast<HistoryFilter::Order>(column);
    m_filter.descending = order == Qt::DescendingOrder;
    reload();
}

} // namespace quvane
