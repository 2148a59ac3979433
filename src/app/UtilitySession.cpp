#include "app/UtilitySession.h"

#include <QCoreApplication>

#include <cstdio>

#include "link/QuvaneError.h"
#include "policy/Prompter.h"
#include "policy/ReportError.h"
#include "records/QVLog.h"

namespace quvane {

bool UtilitySession::Connect()
{
    sensor().ConnectOption = SensorControl::ConnectByOptions;
    sensor().Connect(m_link);
    // The trace is for support: a file that cannot be opened is said where it was asked for.
    if (!sensor().traceError().isEmpty())
        std::fprintf(stderr, "quvane-utility: %s (QUVANE_TRACE); going on without a trace\n",
                     qPrintable(sensor().traceError()));
    return sensor().IsConnected();
}

void UtilitySession::GetInstrumentType()
{
    // The flag is set with the name: the instrument answered as one of its type.
    busyTrapped(m_prompter, [this] { m_instrument.readIdentity(); });
}

void UtilitySession::GetInstrumentName()
{
    busyTrapped(m_prompter, [this] { m_instrument.readIdentity(); });
}

bool UtilitySession::InstrumentSupported()
{
    return busyTrapped(m_prompter, [this] { return sensor().FirmwareSupported(); });
}

qint32 UtilitySession::InstrumentFlavor()
{
    return busyTrapped(m_prompter, [this] { return static_cast<qint32>(sensor().Flavor()); });
}

qint16 UtilitySession::DatalogCount()
{
    return busyTrapped(m_prompter, [this] { return m_instrument.operations().DatalogCount(); });
}

void UtilitySession::ClearDatalog()
{
    busyTrapped(m_prompter, [this] { m_instrument.operations().ClearDatalog(); });
}

void UtilitySession::ReadBlack()
{
    busyTrapped(m_prompter, [this] { sensor().ReadBlack(); });
}

void UtilitySession::ReadWhite()
{
    busyTrapped(m_prompter, [this] { sensor().ReadWhite(); });
}

bool UtilitySession::IsDatalogEmpty()
{
    busyTrapped(m_prompter, [] {});
    if (sensor().LastError() <= 0)
        return false;
    m_prompter.MsgBox(QCoreApplication::translate("Quvane", "The Datalog is empty"), MsgButtons::OK,
                      MsgIcon::Exclamation, identity().mainTitle());
    return true;
}

bool UtilitySession::GetDatalogRecord(qint16 aRecordNumber)
{
    QVLog record(sensor());
    const bool fetched = busyTrapped(m_prompter, [&] {
        try {
            record.GetRecord(aRecordNumber);
            return true;
        } catch (const QuvaneError &error) {
            // A record the instrument does not hold is refused, and LastError says so.
            if (error.number() != ErrorNumber::InstrumentRefused)
                throw;
            return false;
        }
    });
    if (!fetched && sensor().LastError() > 0) {
        m_prompter.MsgBox(QCoreApplication::translate("Quvane", "The Datalog is empty"),
                          MsgButtons::OK, MsgIcon::Exclamation, identity().mainTitle());
        return false;
    }
    m_lastRecord = record;
    if (showDatalogRecord)
        showDatalogRecord(record);
    return true;
}

void UtilitySession::Standardize()
{
    const qint32 flavor = InstrumentFlavor();
    const QString black = flavor == Flavor::FortyFiveLav || flavor == Flavor::FortyFiveSav
                              ? QCoreApplication::translate("Quvane", "Mount Black Glass")
                              : QCoreApplication::translate("Quvane", "Mount Light Trap");
    // One guided reading: the prompt, then readings until one succeeds or the operator gives up.
    auto reading = [this](const QString &prompt, void (UtilitySession::*read)(),
                          const QString &failure) {
        if (m_prompter.MsgBox(prompt, MsgButtons::OKCancel, MsgIcon::Information,
                              identity().mainTitle()) == MsgAnswer::Cancel)
            return false;
        for (;;) {
            (this->*read)();
            if (sensor().LastError() == 0)
                return true;
            if (m_prompter.MsgBox(failure, MsgButtons::RetryCancel, MsgIcon::Exclamation,
                                  identity().mainTitle()) == MsgAnswer::Cancel)
                return false;
        }
    };
    if (!reading(black, &UtilitySession::ReadBlack,
                 QCoreApplication::translate("Quvane", "Black Standardization Failed")))
        return;
    if (!reading(QCoreApplication::translate("Quvane", "Mount White Tile"),
                 &UtilitySession::ReadWhite,
                 QCoreApplication::translate("Quvane", "White Standardization Failed")))
        return;
    m_prompter.MsgBox(QCoreApplication::translate("Quvane", "Standardization Completed"),
                      MsgButtons::OK, MsgIcon::Information, identity().mainTitle());
}

} // namespace quvane
