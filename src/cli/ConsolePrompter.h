#pragma once

#include "Prompter.h"

// The command-line tool's prompter: messages go to standard error, and every question gets the
// answer that changes nothing (Cancel, No), since nobody is there to ask.
class ConsolePrompter : public Prompter
{
public:
    MsgAnswer messageBox(const MessageBoxRequest &request) override;
    QString fileDialog(const FileDialogRequest &request) override;
    int showModal(QDialog &dialog) override;
};
