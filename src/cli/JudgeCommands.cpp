#include "cli/JudgeCommands.h"

#include "link/QuvaneError.h"
#include "policy/VerdictText.h"
#include "store/HistoryError.h"
#include "store/StandardExchange.h"
#include "transfer/OutputFile.h"

#include <QCommandLineParser>
#include <QFile>

#include <cstdio>

namespace quvane {

using namespace Colour;

namespace {

int say(const QString &message)
{
    std::fprintf(stderr, "quvane: %s\n", qPrintable(message));
    return 1;
}

QString number(double value)
{
    return QString::number(unsignedZero(value, 2), 'f', 2);
}

// The words of standard tolerance's options, as ToleranceSet::fromText reads them; the primary
// condition the standard's own unless --illuminant and --observer say another.
QString toleranceWords(const QCommandLineParser &parser, const Condition &own)
{
    QStringList words{QStringLiteral("method=") + parser.value(QStringLiteral("method"))};
    const bool box = parser.value(QStringLiteral("method")).startsWith(QLatin1String("box-"));
    if (box && parser.isSet(QStringLiteral("limits"))) {
        QStringList v = parser.value(QStringLiteral("limits")).split(QLatin1Char(','));
        if (v.size() == 2)
            v = QStringList{v[0], v[1], v[0], v[1], v[0], v[1]};
        words << (v.size() == 6 ? QStringLiteral("minus=%1,%2,%3 plus=%4,%5,%6")
                                      .arg(v[0], v[2], v[4], v[1], v[3], v[5])
                                : QStringLiteral("minus=bad"));
    }
    if (parser.isSet(QStringLiteral("limit")))
        words << QStringLiteral("limit=") + parser.value(QStringLiteral("limit"));
    if (parser.isSet(QStringLiteral("warn")))
        words << QStringLiteral("warn=") + parser.value(QStringLiteral("warn"));
    const ToleranceSet defaults = ToleranceSet::forMethod(
        methodNamed(parser.value(QStringLiteral("method"))).value_or(ToleranceMethod::DeltaE2000));
    const auto weight = [&parser](const char *name, double fallback) {
        return parser.isSet(QLatin1String(name)) ? parser.value(QLatin1String(name))
                                                 : QString::number(fallback);
    };
    words
        << QStringLiteral("weights=%1:%2:1").arg(weight("l", defaults.l), weight("c", defaults.c));
    Condition primary = own;
    if (parser.isSet(QStringLiteral("illuminant")))
        primary.illuminant =
            illuminantNamed(parser.value(QStringLiteral("illuminant"))).value_or(Illuminant::D65);
    if (parser.isSet(QStringLiteral("observer")))
        primary.observer = parser.value(QStringLiteral("observer")) == QLatin1String("2")
                               ? Observer::TwoDegree
                               : Observer::TenDegree;
    words << QStringLiteral("primary=") + conditionName(primary);
    for (const QString &secondary : parser.values(QStringLiteral("secondary")))
        words << QStringLiteral("secondary=") + secondary;
    return words.join(QLatin1Char(' '));
}

} // namespace

QString checkTolerance(const QCommandLineParser &parser)
{
    if (!parser.isSet(QStringLiteral("method")))
        return QStringLiteral("standard tolerance takes --method de2000, cmc, de94, deab, hunter, "
                              "box-lab or box-lch");
    const bool box = parser.value(QStringLiteral("method")).startsWith(QLatin1String("box-"));
    if (box ? parser.isSet(QStringLiteral("limit")) : parser.isSet(QStringLiteral("limits")))
        return box ? QStringLiteral("a box takes --limits MINUS,PLUS (or six, for each of its "
                                    "three differences), not --limit")
                   : QStringLiteral("--limits is a box's; --limit takes the formula's one limit");
    if (parser.isSet(QStringLiteral("illuminant")) &&
        !illuminantNamed(parser.value(QStringLiteral("illuminant"))))
        return QStringLiteral("--illuminant takes A, C, D50, D55, D65, D75, F2, F7 or F11");
    const QString observer = parser.value(QStringLiteral("observer"));
    if (parser.isSet(QStringLiteral("observer")) && observer != QLatin1String("2") &&
        observer != QLatin1String("10"))
        return QStringLiteral("--observer takes 2 or 10");
    QString error;
    if (!ToleranceSet::fromText(toleranceWords(parser, {}), &error))
        return QStringLiteral("standard tolerance: %1").arg(error);
    return {};
}

std::optional<Standard> loadStandard(const HistoryRun &run, const QString &name, QString &error)
{
    const std::unique_ptr<HistoryStore> store = openStore(run, error);
    if (!store)
        return std::nullopt;
    try {
        if (std::optional<Standard> s = store->standard(name))
            return s;
        error = QStringLiteral("the history holds no standard named \"%1\"").arg(name);
    } catch (const HistoryError &e) {
        error = e.message();
    }
    return std::nullopt;
}

int setStandardTolerance(const HistoryRun &run, const QString &name,
                         const QCommandLineParser &parser)
{
    QString error;
    const std::optional<Standard> standard = loadStandard(run, name, error);
    if (!standard) {
        std::fprintf(stderr, "quvane: %s\n", qPrintable(error));
        return 1;
    }
    const std::optional<ToleranceSet> set = ToleranceSet::fromText(
        toleranceWords(parser, {standard->illuminant, standard->observer}), &error);
    try {
        const std::unique_ptr<HistoryStore> store = openStore(run, error);
        if (!store || !set)
            throw HistoryError(HistoryError::Cause::Unavailable, error);
        store->setTolerance(name, *set);
    } catch (const HistoryError &e) {
        std::fprintf(stderr, "quvane: %s\n", qPrintable(e.message()));
        return 1;
    }
    std::printf("%s: %s\n", qPrintable(name), qPrintable(toleranceText(*set)));
    return 0;
}

QString judgementText(const Standard &standard, const Judgement &judgement)
{
    const ToleranceSet set = standard.toleranceSet();
    QString text = QStringLiteral("Standard:             %1\nTolerance:            %2\n")
                       .arg(standard.name, toleranceText(set));
    const bool hunter = set.method == ToleranceMethod::Hunter;
    for (const ConditionVerdict &v : judgement.conditions) {
        QString line = QStringLiteral("%1").arg(conditionName(v.condition) + QLatin1Char(':'), -22);
        if (!v.judged) {
            text += line + QStringLiteral("not judged: the standard has values under %1 only\n")
                               .arg(conditionName(standard.colour().labCondition));
            continue;
        }
        const LabDifference &d = v.difference;
        line +=
            hunter
                ? QStringLiteral("dL %1  da %2  db %3")
                      .arg(signedDifference(d.dL), signedDifference(d.da), signedDifference(d.db))
                : QStringLiteral("dL* %1  da* %2  db* %3  dC* %4  dH* %5")
                      .arg(signedDifference(d.dL), signedDifference(d.da), signedDifference(d.db),
                           signedDifference(d.dC), signedDifference(d.dH));
        line += QStringLiteral("  dE %1").arg(number(d.dE));
        if (v.metamerismIndex)
            line += QStringLiteral("  MI %1").arg(number(*v.metamerismIndex));
        text += line + QStringLiteral("  ") + verdictWord(v.verdict) + QLatin1Char('\n');
    }
    if (!judgement.judged())
        return text + QStringLiteral("Verdict:              none (not judged under %1)\n")
                          .arg(conditionName(set.primary));
    return text + QStringLiteral("Verdict:              ") + verdictWord(judgement.overall) +
           QLatin1Char('\n');
}

} // namespace quvane

namespace quvane {

int exportStandards(const HistoryRun &run, const QStringList &names, const QString &file)
{
    QString error;
    const std::unique_ptr<HistoryStore> store = openStore(run, error);
    if (!store)
        return say(error);
    QList<Standard> standards;
    try {
        for (const QString &name : names) {
            const std::optional<Standard> s = store->standard(name);
            if (!s)
                return say(QStringLiteral("the history holds no standard named \"%1\"").arg(name));
            standards << *s;
        }
        OutputFile out(file);
        out.write(standardsToCxf(standards, QDateTime::currentDateTime()));
        out.commit();
    } catch (const HistoryError &e) {
        return say(e.message());
    } catch (const QuvaneError &e) {
        return say(e.description());
    }
    return 0;
}

int importStandards(const HistoryRun &run, const QString &file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return say(QStringLiteral("%1 cannot be read: %2").arg(file, in.errorString()));
    QString error;
    const QList<Standard> standards = standardsFromCxf(in.readAll(), &error);
    if (!error.isEmpty())
        return say(QStringLiteral("%1: %2").arg(file, error));
    const std::unique_ptr<HistoryStore> store = openStore(run, error);
    if (!store)
        return say(error);
    int status = 0;
    for (const Standard &s : standards) {
        try {
            store->addStandard(s);
            std::fprintf(stderr, "quvane: %s: the standard \"%s\" added\n", qPrintable(file),
                         qPrintable(s.name));
        } catch (const HistoryError &e) {
            status = say(e.message());
        }
    }
    if (standards.isEmpty())
        return say(QStringLiteral("%1 holds no standard").arg(file));
    return status;
}

} // namespace quvane
