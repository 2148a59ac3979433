#include "policy/VerdictText.h"

#include <QCoreApplication>

namespace quvane {

using namespace Colour;

namespace {

QString number(double value)
{
    return QString::number(unsignedZero(value, 2), 'f', 2);
}

QString methodText(const ToleranceSet &set)
{
    switch (set.method) {
    case ToleranceMethod::DeltaEab:
        return QStringLiteral("dE*ab");
    case ToleranceMethod::Cmc:
        return QStringLiteral("dE CMC (%1:%2)").arg(set.l).arg(set.c);
    case ToleranceMethod::DeltaE94:
        return QStringLiteral("dE 1994 (%1:%2:%3)").arg(set.l).arg(set.c).arg(set.h);
    case ToleranceMethod::DeltaE2000:
        return QStringLiteral("dE 2000 (%1:%2:%3)").arg(set.l).arg(set.c).arg(set.h);
    case ToleranceMethod::Hunter:
        return QStringLiteral("Hunter dE");
    case ToleranceMethod::BoxLab:
    case ToleranceMethod::BoxLch:
        break;
    }
    const bool lch = set.method == ToleranceMethod::BoxLch;
    const char *names[3] = {"dL*", lch ? "dC*" : "da*", lch ? "dH*" : "db*"};
    QStringList limits;
    for (int i = 0; i < 3; ++i)
        limits << QStringLiteral("%1 -%2/+%3")
                      .arg(QLatin1String(names[i]), number(set.minus[size_t(i)]),
                           number(set.plus[size_t(i)]));
    return QStringLiteral("a box of ") + limits.join(QStringLiteral(", "));
}

} // namespace

QString toleranceText(const ToleranceSet &set)
{
    QString text = methodText(set);
    if (!set.isBox())
        text += QStringLiteral(" within ") + number(set.limit);
    text += QStringLiteral(", warning above %1 %, under %2")
                .arg(set.warn * 100)
                .arg(conditionName(set.primary));
    for (const ToleranceSet::Secondary &s : set.secondaries)
        text +=
            QStringLiteral("; also %1").arg(conditionName(s.condition)) +
            (set.isBox() ? QString()
                         : QStringLiteral(" within ") + number(s.limit > 0 ? s.limit : set.limit));
    return text;
}

QString verdictName(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Pass:
        return QCoreApplication::translate("Quvane", "Pass");
    case Verdict::Warn:
        return QCoreApplication::translate("Quvane", "Warn");
    case Verdict::Fail:
        break;
    }
    return QCoreApplication::translate("Quvane", "Fail");
}

QString signedDifference(double value)
{
    return QString::asprintf("%+.2f", unsignedZero(value, 2));
}

namespace {

QString columnCondition(const Condition &condition)
{
    return conditionName(condition).replace(QLatin1Char('/'), QLatin1Char('_'));
}

} // namespace

QStringList judgementColumns(const ToleranceSet &set)
{
    QStringList columns{"DL", "DA", "DB", "DC", "DH", "DE", "VERDICT"};
    for (const ToleranceSet::Secondary &s : set.secondaries)
        columns << QStringLiteral("DE_") + columnCondition(s.condition)
                << QStringLiteral("MI_") + columnCondition(s.condition);
    return columns;
}

QStringList judgementFields(const Judgement &judgement)
{
    QStringList fields;
    const ConditionVerdict &p = judgement.conditions.first();
    if (p.judged) {
        const LabDifference &d = p.difference;
        for (double value : {d.dL, d.da, d.db, d.dC, d.dH, d.dE})
            fields << QString::number(unsignedZero(value, 4), 'f', 4);
        fields << verdictWord(judgement.overall);
    } else {
        fields << QStringList(7, QString());
    }
    for (qsizetype k = 1; k < judgement.conditions.size(); ++k) {
        const ConditionVerdict &v = judgement.conditions[k];
        fields << (v.judged ? QString::number(unsignedZero(v.difference.dE, 4), 'f', 4) : QString())
               << (v.metamerismIndex ? QString::number(unsignedZero(*v.metamerismIndex, 4), 'f', 4)
                                     : QString());
    }
    return fields;
}

} // namespace quvane
