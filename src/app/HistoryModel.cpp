#include "app/HistoryModel.h"

#include "store/HistoryError.h"

#include <QCoreApplication>

namespace quvane {

bool HistoryModel::open(const HistoryLocation &location, const quvane::Station &station)
{
    beginResetModel();
    m_rows.clear();
    m_atEnd = true;
    try {
        m_store = std::make_unique<HistoryStore>(location, station);
        m_error.clear();
    } catch (const HistoryError &error) {
        m_store.reset();
        m_error = error.message();
    }
    endResetModel();
    return m_store != nullptr;
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
    m_rows.clear();
    m_atEnd = m_store == nullptr;
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
    return !parent.isValid() && !m_atEnd;
}

void HistoryModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || m_atEnd || !m_store)
        return;
    HistoryFilter page = m_filter;
    page.limit = PageSize;
    page.offset = int(m_rows.size());
    QList<StoredMeasurement> rows;
    try {
        rows = m_store->list(page);
    } catch (const HistoryError &error) {
        m_atEnd = true;
        m_error = error.message();
        emit failed(m_error);
        return;
    }
    m_atEnd = rows.size() < PageSize;
    if (rows.isEmpty())
        return;
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + rows.size() - 1));
    m_rows += rows;
    endInsertRows();
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
