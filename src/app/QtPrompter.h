#pragma once

#include "policy/Prompter.h"

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
};

} // namespace quvane
