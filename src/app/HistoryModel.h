#pragma once

#include "store/HistoryStore.h"

#include <QAbstractTableModel>

#include <memory>

namespace quvane {

// The history's measurements as a table that loads a page at a time as the view scrolls, in
// the order of the column it is sorted by. Errors of the history are kept for the window to
// show (error()), never thrown into the event loop.
class HistoryModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int PageSize = 200;
    // A column is the order the history sorts by when its heading is clicked.
    using Order = HistoryFilter::Order;
    enum Column
    {
        Taken = int(Order::Taken),
        Product = int(Order::Product),
        SampleId = int(Order::SampleId),
        Source = int(Order::Source),
        Record = int(Order::Record),
        Setup = int(Order::Setup),
        Instrument = int(Order::Instrument),
        Station = int(Order::Station),
        ColumnCount
    };

    explicit HistoryModel(QObject *parent = nullptr) : QAbstractTableModel(parent) {}

    // Opens the history; false with error() when it cannot be.
    bool open(const HistoryLocation &location, const quvane::Station &station);
    // Lists what the filter picks, from its first page.
    void setFilter(const HistoryFilter &filter);
    const QString &error() const { return m_error; }
    const StoredMeasurement &measurement(int row) const { return m_rows.at(row); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    void sort(int column, Qt::SortOrder order) override;

signals:
    void failed(const QString &error);

private:
    void reload();

    std::unique_ptr<HistoryStore> m_store;
    HistoryFilter m_filter;
    QList<StoredMeasurement> m_rows;
    bool m_atEnd = true;
    QString m_error;
};

} // namespace quvane
