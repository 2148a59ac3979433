#pragma once

#include "link/modGlobals.h"
#include "policy/Prompter.h"

#include <QString>

namespace quvane {

// The measurement log: a text file to which each writer appends one line, the same line going
// to the clipboard. Its name is kept here and nowhere else: only New and Open set it and Stop
// Logging clears it. The bulk-transfer launchers use file dialogs of their own, so an archive
// or capture file can never become the log file. No file stays open between writes.
class MeasurementLog
{
public:
    explicit MeasurementLog(Prompter &prompter) : m_prompter(prompter) {}
    QString fileName() const { return m_fileName; }
    // The File menu's New (newFile) or Open: asks for the file, and for an existing one under
    // New whether to overwrite it, append to it or choose again. A cancelled dialog keeps the
    // previous log file.
    // caption: the main title, for the overwrite question.
    void choose(bool newFile, const quvane::DelimiterSettings &delimiter, const QString &caption);
    void stop() { m_fileName.clear(); }
    // Puts the text on the clipboard and appends it as one line to the log file, if one is named.
    void write(const QString &text);

private:
    Prompter &m_prompter;
    QString m_fileName;
};

} // namespace quvane
