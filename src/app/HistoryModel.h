#pragma once

#include "colour/Tolerance.h"
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
        // Against a standard: the differences under its primary condition and the verdict.
        DeltaL,
        DeltaA,
        DeltaB,
        DeltaE,
        VerdictColumn,
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
    // Judges each measurement against the standard (none: no judging), and lists only those of
    // the verdict when one is given.
    void setJudging(const std::optional<Standard> &standard,
                    std::optional<Colour::Verdict> verdict);
    const std::optional<Standard> &standard() const { return m_standard; }
    // Reads the history's standards; they come by standardsRead().
    void readStandards();
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
    void standardsRead(const QList<quvane::Standard> &standards);

private:
    void reload();
    // A page read: the rows the verdict kept, their judgements, how many were read from the
    // history, and whether it has no more.
    struct Page
    {
        QList<StoredMeasurement> rows;
        QList<Colour::Judgement> judgements;
        int read = 0;
        bool atEnd = false;
        QString error;
    };
    void pageRead(quint64 generation, const Page &page);

    QThread m_thread;
    QObject *m_reader;                     // lives on m_thread, as does the store it reads
    std::unique_ptr<HistoryStore> m_store; // these two on m_thread only
    QString m_openError;
    quint64 m_generation = 0; // a page of an earlier listing is dropped
    bool m_open = false;
    HistoryFilter m_filter;
    QList<StoredMeasurement> m_rows;
    QList<Colour::Judgement> m_judgements; // beside m_rows, when judging
    int m_offset = 0;                      // the rows read from the history so far
    std::optional<Standard> m_standard;
    std::optional<Colour::Verdict> m_verdict;
    bool m_atEnd = true, m_reading = false;
    QString m_error;
};

} // namespace quvane
