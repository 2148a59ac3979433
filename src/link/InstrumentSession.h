#pragma once

#include "link/InstrumentOperations.h"
#include "link/SensorControl.h"

#include <QString>

namespace quvane {

// What start-up learns of the connected instrument: its model name and the instrument-type flag
// (which chooses the icons, the about box's picture and the geometry texts).
struct InstrumentIdentity
{
    QString name;
    bool type = false;

    // The main title: the instrument name, a blank, then "Utility". The main window's caption
    // and the caption of every message box but the start-up failures and ReportError's.
    QString mainTitle() const { return name + QStringLiteral(" Utility"); }
};

// The connected instrument and its link: the control that carries every exchange, the
// operations on it, and its identity once start-up has read it. Owned by the main window in
// the utility and by main() in the command-line tool; what a layer needs of it is passed in.
class InstrumentSession
{
public:
    InstrumentSession() = default;
    InstrumentSession(const InstrumentSession &) = delete;
    InstrumentSession &operator=(const InstrumentSession &) = delete;

    SensorControl &sensor() { return m_sensor; }
    const SensorControl &sensor() const { return m_sensor; }
    InstrumentOperations &operations() { return m_operations; }

    const InstrumentIdentity &identity() const { return m_identity; }
    // Takes the identity from the connected instrument: its model name; the type flag is set.
    void readIdentity()
    {
        m_identity.name = m_sensor.InstrumentName();
        m_identity.type = true;
    }

private:
    SensorControl m_sensor;
    InstrumentOperations m_operations{m_sensor};
    InstrumentIdentity m_identity;
};

} // namespace quvane
