#pragma once

#include "policy/Prompter.h"

#include <QLocale>
#include <QStringList>

namespace quvane {

// The production prompter: Qt's message boxes, file dialogs and modal dialogs.
class QtPrompter : public Prompter
{
public:
    MsgAnswer messageBox(const MessageBoxRequest &request) override;
    QString fileDialog(const FileDialogRequest &request) override;
    int showModal(QDialog &dialog) override;

    // "Desc|pattern|..." as Qt name filters; "*.*" matches every file, as users expect.
    static QStringList nameFilters(const QString &filter);

    // Qt's own texts (the file dialogs, the standard buttons) in the locale's language, from
    // Qt's translations; the program's own texts stay as they are. False when Qt has none.
    static bool translateQtTexts(const QLocale &locale);

protected:
    // The hourglass is Qt's wait cursor over every window of the program.
    void showMousePointer(int pointer) override;
};

} // namespace quvane
