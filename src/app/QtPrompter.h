#pragma once

#include "Prompter.h"

#include <QStringList>

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
