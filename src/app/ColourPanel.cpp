#include "app/ColourPanel.h"

#include "app/UtilitySession.h"
#include "policy/Prompter.h"
#include "policy/ReportError.h"
#include "policy/VerdictText.h"
#include "records/InstrumentCodes.h"
#include "records/QVSetup.h"
#include "records/SetupTolerance.h"
#include "store/HistoryError.h"
#include "store/HistoryStore.h"

#include <QInputDialog>
#include <QLocale>

#include <cmath>

namespace quvane {

using namespace Colour;

namespace {

// The scales the panel shows, in the order of Colour::Scale, with their components' names.
struct ScaleNames
{
    const char *name;
    const char *components[3];
};
constexpr ScaleNames Scales[] = {
    {"CIE L*a*b*", {"L*", "a*", "b*"}}, {"CIE L*C*h", {"L*", "C*", "h"}},
    {"Hunter Lab", {"L", "a", "b"}},    {"XYZ", {"X", "Y", "Z"}},
    {"Yxy", {"Y", "x", "y"}},           {"CIE L*u*v*", {"L*", "u*", "v*"}},
};

} // namespace

ColourPanel::ColourPanel(QWidget *parent) : QWidget(parent)
{
    ui.setupUi(this);
    for (int i = 0; i < IlluminantCount; ++i)
        ui.cboIlluminant->addItem(illuminantName(Illuminant(i)));
    ui.cboObserver->addItems({tr("2 degree"), tr("10 degree")});
    for (const ScaleNames &scale : Scales)
        ui.cboScale->addItem(QString::fromLatin1(scale.name));
    showChoices(ColourChoices());
    for (QComboBox *list : {ui.cboIlluminant, ui.cboObserver, ui.cboScale}) {
        connect(list, &QComboBox::currentIndexChanged, this, [this] {
            saveChoices();
            refresh();
        });
    }
    connect(ui.spnTolerance, &QDoubleSpinBox::valueChanged, this, [this] { refresh(); });
    connect(ui.cmdSetStandard, &QPushButton::clicked, this, [this] {
        if (!m_spectrum)
            return;
        takeStandard({*m_spectrum, {}, {}}, tr("a measurement"), {});
        if (history && history().location)
            storeStandard();
    });
    connect(ui.cmdStoredStandard, &QPushButton::clicked, this, [this] { askStoredStandard(); });
    connect(ui.cmdStandardFromSetup, &QPushButton::clicked, this,
            [this] { reportUntrapped(prompter(), [this] { askStandardFromSetup(); }); });
    refresh();
}

Colorimeter ColourPanel::colorimeter() const
{
    // The lists hold the illuminants and observers in the order of their codes.
    return Colorimeter(
        Codes::illuminant(ui.cboIlluminant->currentIndex()).value_or(Illuminant::D65),
        Codes::observer(ui.cboObserver->currentIndex()));
}

void ColourPanel::setPreferences(PreferencesStore *preferences)
{
    m_preferences = nullptr; // what it holds is shown, not written back
    if (preferences)
        showChoices(preferences->colourChoices());
    m_preferences = preferences;
}

void ColourPanel::showChoices(const ColourChoices &choices)
{
    ui.cboIlluminant->setCurrentIndex(std::clamp(choices.illuminant, 0, IlluminantCount - 1));
    ui.cboObserver->setCurrentIndex(std::clamp(choices.observer, 0, 1));
    ui.cboScale->setCurrentIndex(std::clamp(choices.scale, 0, int(std::size(Scales)) - 1));
}

void ColourPanel::saveChoices() const
{
    if (m_preferences) {
        m_preferences->saveColourChoices({ui.cboIlluminant->currentIndex(),
                                          ui.cboObserver->currentIndex(),
                                          ui.cboScale->currentIndex()});
    }
}

void ColourPanel::showSpectrum(const Spectrum &spectrum)
{
    m_spectrum = spectrum;
    ui.lblReadings->hide();
    refresh();
}

Repeatability ColourPanel::showReadings(const QList<Spectrum> &readings)
{
    const Colorimeter meter = colorimeter();
    const Repeatability spread = averageReadings(readings, meter);
    m_spectrum = spread.mean;
    const QLocale locale;
    const auto n = [&locale](double x) { return locale.toString(unsignedZero(x, 2), 'f', 2); };
    ui.lblReadings->setText(tr("The mean of %1 readings: s.d. L* %2  a* %3  b* %4; the largest "
                               "dE*ab from the mean %5")
                                .arg(spread.count)
                                .arg(n(spread.deviation.L), n(spread.deviation.a),
                                     n(spread.deviation.b), n(spread.largestDeltaE)));
    ui.lblReadings->show();
    refresh();
    return spread;
}

void ColourPanel::clear()
{
    m_spectrum.reset();
    ui.lblReadings->hide();
    refresh();
}

bool ColourPanel::setStandard(const QVSetup &setup)
{
    const std::optional<StandardColour> colour = setupStandard(setup);
    if (!colour)
        return false;
    takeStandard(*colour, tr("set-up %1, %2").arg(setup.SetupNumber).arg(setup.ProductName),
                 setupTolerances(setup));
    m_standardReadings = std::clamp<int>(setup.AverageCount, 1, 25);
    return true;
}

void ColourPanel::takeStandard(const StandardColour &colour, const QString &name,
                               const QList<ToleranceSet> &tolerances)
{
    m_standard = colour;
    m_tolerances = tolerances;
    m_standardReadings.reset();
    // The panel's tolerance is the standard's own limit where it has one.
    const auto formula = std::find_if(tolerances.begin(), tolerances.end(),
                                      [](const ToleranceSet &set) { return !set.isBox(); });
    if (formula != tolerances.end())
        ui.spnTolerance->setValue(formula->limit);
    ui.spnTolerance->setEnabled(tolerances.isEmpty());
    ui.lblStandard->setText(tr("Standard: %1").arg(name));
    refresh();
}

std::optional<HistoryLocation> ColourPanel::historyLocation(Station &station)
{
    const HistoryTarget target = history ? history() : HistoryTarget{};
    station = target.station;
    if (!target.location)
        prompter().MsgBox(tr("The history is turned off in Preferences, or names no place."),
                          MsgButtons::OK, MsgIcon::Information, window()->windowTitle());
    return target.location;
}

void ColourPanel::storeStandard()
{
    Station station;
    const std::optional<HistoryLocation> location = historyLocation(station);
    if (!location)
        return;
    QInputDialog dialog(this);
    dialog.setWindowTitle(tr("Store as Standard - ") + window()->windowTitle());
    dialog.setLabelText(tr("The standard's name (empty: not stored):"));
    if (prompter().showModal(dialog) != QDialog::Accepted || dialog.textValue().trimmed().isEmpty())
        return;
    Standard standard;
    standard.name = dialog.textValue().trimmed();
    standard.origin = Standard::Origin::Measurement;
    standard.spectrum = *m_spectrum;
    try {
        HistoryStore(*location, station).addStandard(standard);
        ui.lblStandard->setText(tr("Standard: %1").arg(standard.name));
    } catch (const HistoryError &error) {
        prompter().MsgBox(tr("The standard was not stored.\n\n%1").arg(error.message()),
                          MsgButtons::OK, MsgIcon::Exclamation, window()->windowTitle());
    }
}

void ColourPanel::askStoredStandard()
{
    Station station;
    const std::optional<HistoryLocation> location = historyLocation(station);
    if (!location)
        return;
    QList<Standard> standards;
    try {
        standards = HistoryStore(*location, station).standards();
    } catch (const HistoryError &error) {
        prompter().MsgBox(error.message(), MsgButtons::OK, MsgIcon::Exclamation,
                          window()->windowTitle());
        return;
    }
    if (standards.isEmpty()) {
        prompter().MsgBox(tr("The history holds no standards yet: Set as standard stores one."),
                          MsgButtons::OK, MsgIcon::Information, window()->windowTitle());
        return;
    }
    QStringList names;
    for (const Standard &standard : standards)
        names << standard.name;
    QInputDialog dialog(this);
    dialog.setWindowTitle(tr("Stored Standard - ") + window()->windowTitle());
    dialog.setLabelText(tr("Standard:"));
    dialog.setComboBoxItems(names);
    if (prompter().showModal(dialog) != QDialog::Accepted)
        return;
    setStandard(standards[names.indexOf(dialog.textValue())]);
}

void ColourPanel::setStandard(const Standard &standard)
{
    takeStandard(standard.colour(), standard.name,
                 standard.tolerance ? QList<ToleranceSet>{*standard.tolerance}
                                    : QList<ToleranceSet>{});
}

void ColourPanel::askStandardFromSetup()
{
    if (!m_session)
        return;
    QInputDialog dialog(this);
    dialog.setWindowTitle(tr("Standard from Set-up - ") + m_session->identity().name);
    dialog.setLabelText(tr("Product set-up number (1 to 100):"));
    dialog.setInputMode(QInputDialog::IntInput);
    dialog.setIntRange(1, 100);
    dialog.setIntValue(1);
    if (prompter().showModal(dialog) != QDialog::Accepted)
        return;
    QVSetup setup(m_session->sensor());
    const auto number = static_cast<qint16>(dialog.intValue());
    busyTrapped(prompter(), [&] { setup.Read(number); });
    if (!setStandard(setup))
        prompter().MsgBox(
            tr("Set-up %1 keeps neither its standard's spectrum nor its CIE L*a*b* values.")
                .arg(number),
            MsgButtons::OK, MsgIcon::Exclamation, m_session->identity().mainTitle());
}

void ColourPanel::refresh()
{
    const ScaleNames &scale =
        Scales[std::clamp(ui.cboScale->currentIndex(), 0, int(std::size(Scales)) - 1)];
    QLabel *names[] = {ui.lblName1, ui.lblName2, ui.lblName3};
    QLabel *values[] = {ui.lblValue1, ui.lblValue2, ui.lblValue3};
    for (int k = 0; k < 3; ++k)
        names[k]->setText(QString::fromLatin1(scale.components[k]));
    if (!m_spectrum) {
        for (QLabel *value : values)
            value->clear();
        ui.lblSwatch->setStyleSheet(QString());
        ui.lblSwatch->clear();
        ui.lblDeltas->clear();
        ui.lblVerdict->clear();
        ui.lblVerdict->setStyleSheet(QString());
        return;
    }
    const Colorimeter meter = colorimeter();
    const Xyz xyz = meter.tristimulus(*m_spectrum);
    // The lists hold the scales in the library's order.
    const std::array<double, 3> v =
        scaleValues(Colour::Scale(ui.cboScale->currentIndex()), xyz, meter.white());
    const QLocale locale;
    const int decimals = ui.cboScale->currentIndex() == 4 ? 4 : 2; // chromaticities need four
    for (int k = 0; k < 3; ++k)
        values[k]->setText(locale.toString(unsignedZero(v[size_t(k)], k == 0 ? 2 : decimals), 'f',
                                           k == 0 ? 2 : decimals));
    const Rgb rgb = toSrgb(xyz, meter.white());
    ui.lblSwatch->setStyleSheet(
        QStringLiteral("background: rgb(%1, %2, %3); border: 1px solid gray")
            .arg(rgb.r)
            .arg(rgb.g)
            .arg(rgb.b));
    // Marked when the colour is outside sRGB and its swatch only near it.
    ui.lblSwatch->setText(rgb.clipped ? QStringLiteral("!") : QString());
    ui.lblSwatch->setToolTip(rgb.clipped ? tr("Outside the sRGB gamut: the swatch is the nearest "
                                              "colour it can show")
                                         : QString());

    if (!m_standard) {
        ui.lblDeltas->clear();
        ui.lblVerdict->clear();
        ui.lblVerdict->setStyleSheet(QString());
        return;
    }
    showJudgement(*m_spectrum);
}

void ColourPanel::showJudgement(const Spectrum &sample)
{
    QList<ToleranceSet> sets = m_tolerances;
    if (sets.isEmpty()) {
        ToleranceSet set;
        set.limit = ui.spnTolerance->value();
        const Colorimeter meter = colorimeter();
        set.primary = m_standard->spectrum ? Condition{meter.illuminant(), meter.observer()}
                                           : m_standard->labCondition;
        sets << set;
    }
    const QLocale locale;
    // A difference of -0.001 reads 0.00, not -0.00.
    const auto n = [&locale](double x) { return locale.toString(unsignedZero(x, 2), 'f', 2); };
    const auto s = [&locale](double x) {
        return (x >= 0.005 ? QStringLiteral("+") : QString()) +
               locale.toString(unsignedZero(x, 2), 'f', 2);
    };
    QStringList lines;
    Verdict overall = Verdict::Pass;
    bool judged = true;
    for (const ToleranceSet &set : sets) {
        const Judgement j = judge(*m_standard, sample, set);
        // The conditions on a line of their own: the panel is narrow.
        lines << toleranceText(set).replace(QStringLiteral(", under "), QStringLiteral("\nunder "));
        for (const ConditionVerdict &v : j.conditions) {
            const QString condition = conditionName(v.condition);
            if (!v.judged) {
                lines << tr("%1: not judged (the standard has values under %2 only)")
                             .arg(condition, conditionName(m_standard->labCondition));
                continue;
            }
            if (v.primary)
                lines << tr("Standard %1: L* %2  a* %3  b* %4")
                             .arg(condition, n(v.standard.L), n(v.standard.a), n(v.standard.b));
            const LabDifference &d = v.difference;
            lines << tr("%1: dL* %2  da* %3  db* %4\n    dC* %5  dH* %6  dE %7%8  %9")
                         .arg(condition, s(d.dL), s(d.da), s(d.db), s(d.dC), s(d.dH), n(d.dE),
                              v.metamerismIndex ? tr("  MI %1").arg(n(*v.metamerismIndex))
                                                : QString(),
                              verdictName(v.verdict));
        }
        judged = judged && j.judged();
        overall = std::max(overall, j.overall);
    }
    ui.lblDeltas->setText(lines.join(QLatin1Char('\n')));
    if (!judged) {
        ui.lblVerdict->setText(tr("Not judged"));
        ui.lblVerdict->setStyleSheet(QString());
        return;
    }
    // In words and in colour: the colour alone says nothing to a reader that cannot see it.
    ui.lblVerdict->setText(verdictName(overall));
    ui.lblVerdict->setStyleSheet(
        overall == Verdict::Pass   ? QStringLiteral("color: white; background: #2e7d32")
        : overall == Verdict::Warn ? QStringLiteral("color: black; background: #f9a825")
                                   : QStringLiteral("color: white; background: #c62828"));
}

} // namespace quvane
