#pragma once

#include "store/HistoryStore.h"

#include <QAbstractTableModel>
#include <QThread>

#include <memory>

namespace quvane {

// The history's measurements as a table that loads a page at a time as the view scrolls, in
// the order of the column it is sorted by. The history is opened and read on a thread of the
// model's own, so that a server that is slow or gone never holds the window: a page arrives
// later (pageLoaded), and none is asked for while one is on its way. Errors of the history are
// kept for the window to show (error()), never thrown into the event loop.
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

    explicit HistoryModel(QObject *parent = nullptr);
    ~HistoryModel() override;

    // Opens the history (what fails comes by failed()) and lists what the filter picks.
    void open(const HistoryLocation &location, const quvane::Station &station,
              const HistoryFilter &filter);
    // No history: an empty table.
    void close();
    // Lists what the filter picks, from its first page.
    void setFilter(const HistoryFilter &filter);
    const QString &error() const { return m_error; }
    // A page is on its way.
    bool reading() const { return m_reading; }
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
    void pageLoaded();

private:
    void reload();
    void pageRead(quint64 generation, const QList<StoredMeasurement> &rows, const QString &error);

    QThread m_thread;
    QObject *m_reader;                     // lives on m_thread, as does the store it reads
    std::unique_ptr<HistoryStore> m_store; // these two on m_thread only
    QString m_openError;
    quint64 m_generation = 0; // a page of an earlier listing is dropped
    bool m_open = false;
    HistoryFilter m_filter;
    QList<StoredMeasurement> m_rows;
    bool m_atEnd = true, m_reading = false;
    QString m_error;
};

} // namespace quvane
