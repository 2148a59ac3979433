#pragma once

#include "dialogs/InstrumentWindow.h"
#include "link/InstrumentSession.h"
#include "link/LinkOptions.h"
#include "policy/Prompter.h"
#include "records/QVLog.h"
#include "transfer/TextFormat.h"

#include <functional>
#include <optional>

namespace quvane {

// The utility's session with the instrument: the link and the instrument's identity, with the
// main window's public instrument operations under the utility's policy. The operations with the
// busy cursor trap errors for ReportError; StdzTimestamp and SetDateAndTime raise to their
// callers, which trap. The dialogs reach the instrument through it. It shows nothing of its own
// but "The Datalog is empty": a fetched record goes to the handler the main window gives it.
class UtilitySession : public InstrumentWindow
{
public:
    UtilitySession(Prompter &prompter, LinkOptions link, TextFormat textFormat)
        : m_prompter(prompter), m_link(std::move(link)), m_textFormat(std::move(textFormat))
    {}

    // Opens the link its options name; whether an instrument answered.
    bool Connect();
    void Disconnect() { sensor().Disconnect(); }

    SensorControl &sensor() override { return m_instrument.sensor(); }
    Prompter &prompter() override { return m_prompter; }
    const InstrumentIdentity &identity() const override { return m_instrument.identity(); }
    const TextFormat &textFormat() const override { return m_textFormat; }

    void GetInstrumentType();
    void GetInstrumentName();
    bool InstrumentSupported();
    qint32 InstrumentFlavor();
    qint16 DatalogCount() override;
    double StdzTimestamp() override { return m_instrument.operations().StdzTimestamp(); }
    void SetDateAndTime() override { m_instrument.operations().SetDateAndTime(); }
    void ClearDatalog();
    // Guides the operator through the black and the white reading, each until it succeeds or
    // is given up.
    void Standardize();
    void ReadBlack();
    void ReadWhite();
    // Fetches the record with "K" and hands it to showDatalogRecord; an instrument that refuses
    // it (an empty datalog) gives "The Datalog is empty".
    bool GetDatalogRecord(qint16 aRecordNumber) override;
    const QVLog *lastDatalogRecord() const override
    {
        return m_lastRecord ? &*m_lastRecord : nullptr;
    }
    // Whether the last refusal said the datalog is empty; then "The Datalog is empty" is shown.
    bool IsDatalogEmpty();
    void WriteProductSetup() override
    {
        if (writeProductSetup)
            writeProductSetup();
    }

    // What the main window does with a fetched datalog record and a written set-up.
    std::function<void(const QVLog &)> showDatalogRecord;
    std::function<void()> writeProductSetup;

private:
    Prompter &m_prompter;
    InstrumentSession m_instrument;
    LinkOptions m_link;
    TextFormat m_textFormat;
    std::optional<QVLog> m_lastRecord;
};

} // namespace quvane
