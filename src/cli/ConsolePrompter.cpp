#include "ConsolePrompter.h"

#include <cstdio>

MsgAnswer ConsolePrompter::messageBox(const MessageBoxRequest &request)
{
    QString text = request.text;
    text.replace(QLatin1String("\n\n"), QLatin1String(": ")).replace(QLatin1Char('\n'), ' ');
    std::fprintf(stderr, "quvane: %s\n", qPrintable(text));
    switch (request.buttons) {
    case MsgButtons::OK:
        return MsgAnswer::OK;
    case MsgButtons::YesNo:
        return MsgAnswer::No;
    case MsgButtons::AbortRetryIgnore:
        return MsgAnswer::Abort;
    default:
        return MsgAnswer::Cancel;
    }
}

QString ConsolePrompter::fileDialog(const FileDialogRequest &)
{
    return QString();
}

int ConsolePrompter::showModal(QDialog &)
{
    return 0;
}
