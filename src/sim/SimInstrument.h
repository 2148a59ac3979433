#pragma once

#include "link/LinkOptions.h"
#include "link/PacketHandler.h"
#include "sim/SampleCatalogue.h"
#include "sim/SimDisplay.h"
#include "sim/SimFaultPlan.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>

#include <array>
#include <functional>
#include <optional>
#include <random>

namespace quvane {

struct SimIdentity
{
    QString model = QStringLiteral("Quvane QV45");
    QString firmware = QStringLiteral("2.14");
    QString serialNumber = QStringLiteral("SIM00421");
    int flavor = 0; // 0 and 2: 45/0 geometry; 1 and 3: diffuse
};

// One product set-up as the instrument keeps it: its name and the remaining fields (standard
// type to the spectrum) in packet form, exactly as they travel.
struct SimSetup
{
    QString name;
    QByteArray fields;
};

// One stored measurement of the datalog.
struct SimLogRecord
{
    int setupIndex = 0;
    QString product;
    QString sampleId;
    int standardType = 0;
    int displayMode = 0;
    int sequence = 1;
    int sequenceOf = 1;
    bool isStandard = false;
    qint32 timestamp = 0;
    int illuminant = 4; // D65
    int observer = 1;   // 10 degrees
    int colorScale = 1;
    int colorIndex = 0;
    int passFail = 0;       // as the instrument stores it
    bool spectral = true;   // the record carries its spectrum
    Reflectance spectrum{}; // percent
    std::array<float, 6> scaleData{};
    std::array<float, 2> indexData{};
};

// The simulated instrument: keeps state and answers the wire protocol.
class SimInstrument : public PacketHandler
{
public:
    static constexpr int SetupCount = 100;
    static constexpr int DatalogCapacity = 800;

    explicit SimInstrument(SimIdentity identity = {}, quint32 seed = 1);

    HandlerResult handle(const QByteArray &command) override;
    // The refusal packet: "!" and the code as an Integer.
    static QByteArray refusal(int code);

    SimIdentity &identity() { return m_identity; }
    SimFaultPlan &faults() { return m_faults; }
    // Commands received so far; the fault plan counts them from 1.
    int commandsReceived() const { return m_commands; }
    // Shorthands for tests: the next command closes the link, its reply is garbled.
    void dropNextCommand() { m_faults.dropAt = m_commands + 1; }
    void corruptNextReply() { m_faults.corruptAt = m_commands + 1; }
    // Replies take the time their bytes need on a serial line at this rate (8N1); 0: no time.
    void setBaud(int baud) { m_baud = baud; }

    QVector<SimSetup> &setups() { return m_setups; }
    const QVector<SimSetup> &setups() const { return m_setups; }
    QVector<SimLogRecord> &datalog() { return m_datalog; }
    const QVector<SimLogRecord> &datalog() const { return m_datalog; }
    // One datalog record in the form the capture command returns it, as an instrument also
    // writes it to a USB drive.
    QByteArray captureLine(int index) const;
    // Writes DATALOG.QV3 into the folder, as the instrument writes it to a USB drive.
    bool exportDatalog(const QString &folder, QString &error) const;

    // What the instrument's display shows now: model, clock, active set-up, last measurement.
    SimDisplay display() const;

    // What in the kept state could not travel on the wire (a value that does not fit its
    // field, a set-up that does not decode), or empty when all is well.
    QString checkState() const;

    // Adds up to n plausible records (the datalog holds at most its capacity), half an hour
    // apart, the newest at a fixed time (SeedNewest) after the newest already held: each record
    // keeps the time it was made, so that two instruments seeded alike hold the same records
    // and a capture made again is recognised as the same.
    void seedDatalog(int n);
    static const QDateTime SeedNewest;

    // The instrument's clock, as an offset in seconds from the PC's clock.
    qint32 clockNow() const;
    qint32 clockOffset() const { return m_clockOffset; }
    void setClockOffset(qint32 seconds) { m_clockOffset = seconds; }
    qint32 lastStandardization() const { return m_lastStandardization; }
    void setLastStandardization(qint32 seconds) { m_lastStandardization = seconds; }
    int activeSetup() const { return m_activeSetup; }
    void setActiveSetup(int index) { m_activeSetup = index; }
    // Which of the built-in samples lies under the port; -1 takes a different one each time.
    void placeSample(int index) { m_sample = index; }
    // Puts a sample of exactly this reflectance under the port, read without noise.
    void placeSample(const Reflectance &percent) { m_exactSample = percent; }

    // Called after each command that changed the kept state (set-ups, datalog, clock).
    std::function<void()> onStateChanged;
    // Called with every command and the reply it got ("" when none).
    std::function<void(const QByteArray &, const QByteArray &)> onExchange;

private:
    HandlerResult answer(const QByteArray &command);
    QByteArray identify() const;
    QByteArray standardize(int &failuresLeft, bool white);
    QByteArray datalogStatus() const;
    QByteArray setClockOrClear(const QByteArray &command);
    QByteArray measure();
    QByteArray datalogRecord(const QByteArray &command) const;
    QByteArray captureRecord(const QByteArray &command) const;
    QByteArray readSetup(const QByteArray &command) const;
    QByteArray writeSetup(const QByteArray &command);
    QByteArray archiveSetup(const QByteArray &command) const;
    QByteArray restoreSetup(const QByteArray &command);
    QByteArray setupRecord(int index) const;
    int delayFor(const QByteArray &command, const QByteArray &reply) const;
    QByteArray screenBand(const QByteArray &command) const;

    SimIdentity m_identity;
    SimFaultPlan m_faults;
    int m_commands = 0;
    QByteArray m_lastReply;
    int m_baud = 0;
    QVector<SimSetup> m_setups;
    QVector<SimLogRecord> m_datalog;
    qint32 m_clockOffset = 0;
    qint32 m_lastStandardization = 0;
    int m_activeSetup = 0;
    int m_sample = -1;
    std::optional<Reflectance> m_exactSample;
    std::optional<std::array<float, 6>> m_lastMeasurement; // its colour values, for the display
    std::mt19937 m_random;
};

// The instrument a program reaches as "sim": one in its own process, with some history in its
// datalog. The programs register it as the in-process instrument of their link options.
std::shared_ptr<PacketHandler> demoInstrument();

// Refusal codes the instrument answers with ("!" and an Integer).
namespace SimRefusal {
constexpr int UnknownCommand = 1;
constexpr int BadField = 2;
constexpr int NoSuchRecord = 3;
constexpr int BadChecksum = 4; // the command line's framing does not check
constexpr int TooLong = 5;     // the command line is longer than any packet
} // namespace SimRefusal

} // namespace quvane
