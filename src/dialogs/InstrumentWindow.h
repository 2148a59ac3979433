#pragma once

#include <QtGlobal>

class QVLog;
class SensorControl;

namespace quvane {

struct InstrumentIdentity;
class Prompter;
class TextFormat;

// What the instrument dialogs use of the main window: its instrument control and its public
// instrument operations (DatalogCount and GetDatalogRecord trap errors; StdzTimestamp and
// SetDateAndTime raise to the dialog, which traps).
class InstrumentWindow
{
public:
    virtual ~InstrumentWindow() = default;
    virtual SensorControl &sensor() = 0;
    // Where the dialogs' questions and messages go.
    virtual Prompter &prompter() = 0;
    // The connected instrument's name and type, read at start-up.
    virtual const InstrumentIdentity &identity() const = 0;
    // Numbers and dates as the program's locale settings give them.
    virtual const TextFormat &textFormat() const = 0;
    virtual qint16 DatalogCount() = 0;
    virtual double StdzTimestamp() = 0;
    virtual void SetDateAndTime() = 0;
    virtual bool GetDatalogRecord(qint16 aRecordNumber) = 0;
    // The record GetDatalogRecord fetched last, when it fetched one.
    virtual const QVLog *lastDatalogRecord() const = 0;
    // The log writer for a set-up the editor has just written.
    virtual void WriteProductSetup() = 0;
};

} // namespace quvane
