#pragma once

#include "link/modGlobals.h"

#include <QString>

namespace quvane {

// The colour panel's choices: the places of its illuminant, observer and scale in their lists.
struct ColourChoices
{
    int illuminant = 4; // D65
    int observer = 1;   // 10 degree
    int scale = 0;      // CIE L*a*b*
};

// The user's preferences store: organisation "Quvane", application "QUVA USW", the utility's
// section "Preferences" ("Delimiter", "Sample ID", "Autostore") and the colour panel's section
// "Colour", and the history's section "History". This is the one place that names it; each
// program's main() makes one and passes it down, and nothing below the front ends reads it.
class PreferencesStore
{
public:
    // The stored text of a key of section "Preferences"; the default when there is none, or
    // when the value is not text (edited by hand, written by something else).
    QString GetPreference(const QString &key, const QString &defaultValue) const;
    void SavePreference(const QString &key, const QString &value);

    DelimiterSettings delimiter() const;
    ColourChoices colourChoices() const;
    void saveColourChoices(const ColourChoices &choices);

    // The history: whether measurements are kept ("Keep History", Yes by default) and where
    // (section "History", key "Location": a file or a postgresql:// address; empty for the
    // default file). A password is never stored here.
    bool historyOn() const;
    void saveHistoryOn(bool on);
    // How many readings a Sample takes and shows the mean of: 1 to 25, 1 by default.
    int readingsAveraged() const;
    void saveReadingsAveraged(int readings);
    // How many days old the last check of the instrument against a verification tile may be
    // before the utility says so at its start; 0 (the default): it never does.
    static constexpr int MaxCheckPeriodDays = 366;
    int checkPeriodDays() const;
    void saveCheckPeriodDays(int days);
    QString historyLocation() const;
    void saveHistoryLocation(const QString &location);
};

// Where a program keeps its history: QUVANE_HISTORY's value, else the preference, else
// history.sqlite in the data folder (XDG_DATA_HOME's value, else HOME's .local/share). Each
// main() passes the environment's values in.
QString historyLocationFor(const QString &quvaneHistory, const PreferencesStore &preferences,
                           const QString &xdgDataHome, const QString &home);
// The operator's login as the history records it: LOGNAME's value, else USER's, else the name
// of the process's user.
QString operatorLogin(const QString &logname, const QString &user);

} // namespace quvane
