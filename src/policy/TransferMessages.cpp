#include "policy/TransferMessages.h"

#include <QDir>
#include <QStringList>

namespace quvane {

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString counted(int n, const char *one, const char *many)
{
    return n == 1 ? QStringLiteral("1 %1").arg(QLatin1String(one))
                  : QStringLiteral("%1 %2").arg(n).arg(QLatin1String(many));
}

QString shownSource(const TransferOutcome &outcome)
{
    return outcome.sourceIsStandardInput ? QStringLiteral("standard input") : shown(outcome.source);
}

// What the items of a transfer's file are called, and what was done to them.
struct Items
{
    const char *one, *many, *done;
};

Items itemsOf(TransferKind kind)
{
    switch (kind) {
    case TransferKind::Capture:
        return {"record", "records", "captured"};
    case TransferKind::Conversion:
        return {"record", "records", "converted"};
    case TransferKind::Archive:
    case TransferKind::Restore:
        break;
    }
    return {"set-up", "set-ups", "archived"};
}

QString notStarted(TransferKind kind)
{
    switch (kind) {
    case TransferKind::Capture:
        return QStringLiteral("The datalog was not captured.");
    case TransferKind::Conversion:
        return QStringLiteral("The datalog file was not converted.");
    case TransferKind::Archive:
        return QStringLiteral("The product set-ups were not archived.");
    case TransferKind::Restore:
        break;
    }
    return QStringLiteral("The product set-ups were not restored.");
}

QString notSaved(TransferKind kind)
{
    switch (kind) {
    case TransferKind::Capture:
        return QStringLiteral("The captured datalog could not be saved.");
    case TransferKind::Conversion:
        return QStringLiteral("The converted datalog could not be saved.");
    case TransferKind::Archive:
    case TransferKind::Restore:
        break;
    }
    return QStringLiteral("The set-up archive could not be saved.");
}

QString stopped(const TransferOutcome &outcome)
{
    switch (outcome.kind) {
    case TransferKind::Capture:
        return QStringLiteral("The datalog capture stopped at record %1 of %2.")
            .arg(outcome.position)
            .arg(outcome.total);
    case TransferKind::Conversion:
        return QStringLiteral("The datalog conversion stopped at line %1 of %2.")
            .arg(outcome.position)
            .arg(shownSource(outcome));
    case TransferKind::Archive:
        return QStringLiteral("The set-up archive stopped at set-up %1.").arg(outcome.position);
    case TransferKind::Restore:
        break;
    }
    return QStringLiteral("The set-up restore stopped at line %1 of %2.")
        .arg(outcome.position)
        .arg(shownSource(outcome));
}

QString failure(const TransferOutcome &outcome)
{
    switch (outcome.stage) {
    case TransferStage::None:
    case TransferStage::NotAnArchive:
        return {};
    case TransferStage::NotStarted:
        return notStarted(outcome.kind);
    case TransferStage::Stopped:
        return stopped(outcome);
    case TransferStage::Saving:
        return notSaved(outcome.kind);
    case TransferStage::SameFile:
        return QStringLiteral("%1 is the datalog file itself: choose another name for the "
                              "converted file.")
            .arg(shown(outcome.target));
    case TransferStage::TooManySetups:
        return QStringLiteral("%1 holds more than %2 set-up lines, but an instrument keeps %2 "
                              "set-ups.")
            .arg(shownSource(outcome))
            .arg(BulkTransfers::SetupCount);
    case TransferStage::NotASetup:
        return QStringLiteral("Line %1 of %2 is not a product set-up.")
            .arg(outcome.position)
            .arg(shownSource(outcome));
    }
    return {};
}

QString kept(const TransferOutcome &outcome)
{
    switch (outcome.stage) {
    case TransferStage::SameFile:
        return QStringLiteral("Nothing was written.");
    case TransferStage::TooManySetups:
    case TransferStage::NotASetup:
        return QStringLiteral("Nothing was restored.");
    default:
        break;
    }
    if (outcome.kind == TransferKind::Restore) {
        if (outcome.result != TransferResult::Failed || outcome.stage != TransferStage::Stopped)
            return {};
        QString text = QStringLiteral("%1 restored before it.")
                           .arg(counted(outcome.restored, "set-up was", "set-ups were"));
        if (outcome.replyDamaged)
            text += QStringLiteral(" The instrument's reply to line %1 was damaged: it may hold "
                                   "that set-up too.")
                        .arg(outcome.position);
        return text;
    }
    const TransferKept &part = outcome.kept;
    const Items items = itemsOf(outcome.kind);
    const QString target = shown(outcome.target);
    switch (part.kind) {
    case TransferKept::Kind::Nothing:
        return {};
    case TransferKept::Kind::StandardOutput:
        return part.items > 0
                   ? QStringLiteral("The %1 %2 before the failure went to standard output.")
                         .arg(counted(part.items, items.one, items.many), QLatin1String(items.done))
                   : QString();
    case TransferKept::Kind::Unsynced:
        return QStringLiteral("%1 was written, but its folder may not have reached the disk: a "
                              "power failure now could lose it.")
            .arg(target);
    case TransferKept::Kind::Part:
        break;
    }
    QString text = part.targetExisted ? QStringLiteral("%1 was left as it was.").arg(target)
                                      : QStringLiteral("%1 was not written.").arg(target);
    const QString before = outcome.result == TransferResult::Cancelled
                               ? QStringLiteral("Cancel")
                               : QStringLiteral("the failure");
    if (!part.partPath.isEmpty() && part.items > 0)
        text += QStringLiteral(" %1 holds the %2 %3 before %4.")
                    .arg(shown(part.partPath), counted(part.items, items.one, items.many),
                         QLatin1String(items.done), before);
    else if (!part.partPath.isEmpty())
        text += QStringLiteral(" %1 holds the heading line alone.").arg(shown(part.partPath));
    return text;
}

} // namespace

QString TransferMessage::box() const
{
    QStringList parts{failure, reason, kept};
    parts.removeAll(QString());
    return parts.join(QStringLiteral("\n\n"));
}

QString TransferMessage::line() const
{
    QStringList parts{failure, reason, kept};
    parts.removeAll(QString());
    for (QString &part : parts)
        part.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return parts.join(QLatin1Char(' '));
}

TransferMessage describe(const TransferOutcome &outcome)
{
    return {failure(outcome), outcome.reason, kept(outcome)};
}

} // namespace quvane
