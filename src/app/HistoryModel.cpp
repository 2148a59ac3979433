#include "app/HistoryModel.h"

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

void HistoryModel::reload()
{
    beginResetModel();
    ++m_generation;
    m_rows.clear();
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
    return parent.isValid() ? 0 : ColumnCount;
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
        return index.column() == Record || index.column() == Setup
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant();
    if (role != Qt::DisplayRole)
        return {};
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
    static const char *const names[] = {"Taken",  "Product", "Sample ID",  "Source",
                                        "Record", "Set-up",  "Instrument", "Station"};
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
    HistoryFilter page = m_filter;
    page.limit = PageSize;
    page.offset = int(m_rows.size());
    QMetaObject::invokeMethod(m_reader, [this, page, generation = m_generation] {
        QList<StoredMeasurement> rows;
        QString error;
        try {
            if (m_store)
                rows = m_store->list(page);
            else
                error = m_openError;
        } catch (const HistoryError &e) {
            error = e.message();
        }
        QMetaObject::invokeMethod(
            this, [this, generation, rows, error] { pageRead(generation, rows, error); });
    });
}

void HistoryModel::pageRead(quint64 generation, const QList<StoredMeasurement> &rows,
                            const QString &error)
{
    if (generation != m_generation)
        return;
    m_reading = false;
    if (!error.isEmpty()) {
        m_atEnd = true;
        m_error = error;
        emit failed(m_error);
        return;
    }
    m_atEnd = rows.size() < PageSize;
    if (!rows.isEmpty()) {
        beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + rows.size() - 1));
        m_rows += rows;
        endInsertRows();
    }
    emit pageLoaded();
}

void HistoryModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    m_filter.order = static_cast<HistoryFilter::Order>(column);
    m_filter.descending = order == Qt::DescendingOrder;
    reload();
}

} // namespace quvane
