#include "app/QtPrompter.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

namespace quvane {

namespace {

QMessageBox::Icon qtIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSet
{
    QList<QMessageBox::StandardButton> buttons; // first is the default
    QMessageBox::StandardButton escape;
};

ButtonSet buttonSet(MsgButtons buttons)
{
    using B = QMessageBox;
    switch (buttons) {
    case MsgButtons::OK:
        return {{B::Ok}, B::Ok};
    case MsgButtons::OKCancel:
        return {{B::Ok, B::Cancel}, B::Cancel};
    case MsgButtons::AbortRetryIgnore:
        return {{B::Abort, B::Retry, B::Ignore}, B::Abort};
    case MsgButtons::YesNoCancel:
        return {{B::Yes, B::No, B::Cancel}, B::Cancel};
    case MsgButtons::YesNo:
        return {{B::Yes, B::No}, B::No};
    case MsgButtons::RetryCancel:
        return {{B::Retry, B::Cancel}, B::Cancel};
    }
    return {{B::Ok}, B::Ok};
}

MsgAnswer answerOf(int button)
{
    switch (button) {
    case QMessageBox::Cancel:
        return MsgAnswer::Cancel;
    case QMessageBox::Abort:
        return MsgAnswer::Abort;
    case QMessageBox::Retry:
        return MsgAnswer::Retry;
    case QMessageBox::Ignore:
        return MsgAnswer::Ignore;
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    default:
        return MsgAnswer::OK;
    }
}

} // namespace

MsgAnswer QtPrompter::messageBox(const MessageBoxRequest &request)
{
    QMessageBox box(qtIcon(request.icon), request.title, request.text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    const ButtonSet set = buttonSet(request.buttons);
    for (auto button : set.buttons)
        box.addButton(button);
    box.setTextFormat(Qt::PlainText); // instrument texts in messages are never markup
    box.setDefaultButton(set.buttons.first());
    box.setEscapeButton(set.escape);
    return answerOf(box.exec());
}

QStringList QtPrompter::nameFilters(const QString &filter)
{
    QStringList filters;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i).trimmed();
        const int paren = description.indexOf(QLatin1Char('('));
        if (paren > 0)
            description = description.left(paren).trimmed();
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &pattern : patterns) {
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        filters << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

QString QtPrompter::fileDialog(const FileDialogRequest &request)
{
    QFileDialog dialog(QApplication::activeWindow(), request.title);
    const bool save = request.kind == FileDialogRequest::Kind::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save || !request.fileMustExist ? QFileDialog::AnyFile
                                                      : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    dialog.setOption(QFileDialog::ReadOnly, false);
    const QStringList filters = nameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(request.filterIndex - 1, filters.first()));
    }
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return QDir::toNativeSeparators(dialog.selectedFiles().first());
}

int QtPrompter::showModal(QDialog &dialog)
{
    return dialog.exec();
}

bool QtPrompter::translateQtTexts(const QLocale &locale)
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator))
        return true;
    delete translator;
    return false;
}

void QtPrompter::showMousePointer(int pointer)
{
    if (pointer == MousePointer::Hourglass)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

} // namespace quvane
