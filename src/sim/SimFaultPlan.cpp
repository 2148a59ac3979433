#include "sim/SimFaultPlan.h"

#include <QMap>
#include <QStringList>

namespace quvane {

namespace {

bool readCount(const QString &text, int &value)
{
    bool ok = false;
    value = text.toInt(&ok);
    return ok && value >= 0;
}

} // namespace

const std::vector<SimFaultPlan::Option> &SimFaultPlan::options()
{
    static const std::vector<Option> list = {
        {"silent", "N", "Fault: leave the first N commands without a reply (timeouts)."},
        {"silent-at", "N", "Fault: leave command number N without a reply (a timeout)."},
        {"drop-at", "N", "Fault: close the connection on command number N."},
        {"corrupt-at", "N[:KIND]",
         "Fault: garble the reply to command number N on the line; KIND is checksum (the "
         "default), empty, short, nul, long or sequence."},
        {"stale-at", "N",
         "Fault: answer command number N with the reply to the command before it."},
        {"delay-at", "N:MS", "Fault: send the reply to command number N MS milliseconds late."},
        {"late-at", "N",
         "Fault: hold the reply to command number N until the next command arrives, as a reply "
         "that comes after the host has given up on it."},
        {"fail-black", "N", "Fault: fail the next N black readings."},
        {"fail-white", "N", "Fault: fail the next N white readings."},
        {"report-count", "N", "Fault: report N datalog records whatever the datalog holds."},
    };
    return list;
}

bool SimFaultPlan::set(const QString &option, const QString &value, QString &error)
{
    int n = 0;
    if (option == QLatin1String("delay-at")) {
        const QStringList parts = value.split(QLatin1Char(':'));
        int ms = 0;
        if (parts.size() != 2 || !readCount(parts[0], n) || !readCount(parts[1], ms)) {
            error = QStringLiteral("--delay-at takes N:MS, for example 3:5000");
            return false;
        }
        delayAt = n;
        delayMs = ms;
        return true;
    }
    if (option == QLatin1String("corrupt-at")) {
        static const QMap<QString, LineNoise> kinds = {
            {QStringLiteral("checksum"), LineNoise::Checksum},
            {QStringLiteral("empty"), LineNoise::EmptyLine},
            {QStringLiteral("short"), LineNoise::Short},
            {QStringLiteral("nul"), LineNoise::LeadingNul},
            {QStringLiteral("long"), LineNoise::Overlong},
            {QStringLiteral("sequence"), LineNoise::BadSequence}};
        const QStringList parts = value.split(QLatin1Char(':'));
        const QString kind = parts.value(1, QStringLiteral("checksum"));
        if (parts.size() > 2 || !readCount(parts[0], n) || !kinds.contains(kind)) {
            error = QStringLiteral("--corrupt-at takes N or N:KIND, KIND one of checksum, "
                                   "empty, short, nul, long, sequence");
            return false;
        }
        corruptAt = n;
        corruptKind = kinds.value(kind);
        return true;
    }
    if (!readCount(value, n)) {
        error = QStringLiteral("--%1 takes a whole number of 0 or more").arg(option);
        return false;
    }
    if (option == QLatin1String("silent"))
        silent = n;
    else if (option == QLatin1String("silent-at"))
        silentAt = n;
    else if (option == QLatin1String("drop-at"))
        dropAt = n;
    else if (option == QLatin1String("stale-at"))
        staleAt = n;
    else if (option == QLatin1String("late-at"))
        lateAt = n;
    else if (option == QLatin1String("fail-black"))
        failBlack = n;
    else if (option == QLatin1String("fail-white"))
        failWhite = n;
    else if (option == QLatin1String("report-count"))
        reportedCount = n;
    else {
        error = QStringLiteral("--%1 is not a fault").arg(option);
        return false;
    }
    return true;
}

} // namespace quvane
