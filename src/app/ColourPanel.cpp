#include "app/ColourPanel.h"

#include "app/UtilitySession.h"
#include "policy/Prompter.h"
#include "policy/ReportError.h"
#include "records/InstrumentCodes.h"
#include "records/QVSetup.h"
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
        m_standardSpectrum = m_spectrum;
        m_standardLab.reset();
        ui.lblStandard->setText(tr("Standard: a measurement"));
        refresh();
        if (m_spectrum && history && history().location)
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
    refresh();
}

void ColourPanel::clear()
{
    m_spectrum.reset();
    refresh();
}

bool ColourPanel::setStandard(const QVSetup &setup)
{
    if (setup.Spectral) {
        m_standardSpectrum = setup.spectrum();
        m_standardLab.reset();
    } else if (setup.ColorScale == Codes::ScaleCieLab) { // the set-up's own values
        m_standardSpectrum.reset();
        m_standardLab = Lab{setup.ScaleData(1), setup.ScaleData(2), setup.ScaleData(3)};
    } else {
        return false;
    }
    // A set-up whose difference index is dE 2000 gives its tolerance.
    if (setup.ColorDiffIndex() == Codes::DiffIndexDeltaE2000 && setup.IndexTolerance() > 0)
        ui.spnTolerance->setValue(setup.IndexTolerance());
    ui.lblStandard->setText(
        tr("Standard: set-up %1, %2").arg(setup.SetupNumber).arg(setup.ProductName));
    refresh();
    return true;
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
    if (standard.spectral) {
        m_standardSpectrum = standard.spectrum;
        m_standardLab.reset();
    } else {
        m_standardSpectrum.reset();
        m_standardLab = Lab{standard.lab[0], standard.lab[1], standard.lab[2]};
    }
    ui.lblStandard->setText(tr("Standard: %1").arg(standard.name));
    refresh();
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
    const Lab lab = toLab(xyz, meter.white());
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

    if (!m_standardSpectrum && !m_standardLab) {
        ui.lblDeltas->clear();
        ui.lblVerdict->clear();
        ui.lblVerdict->setStyleSheet(QString());
        return;
    }
    const Lab standard = m_standardSpectrum ? meter.lab(*m_standardSpectrum) : *m_standardLab;
    const LabDifference d = difference(lab, standard);
    const double de2000 = deltaE2000(lab, standard);
    // A difference of -0.001 reads 0.00, not -0.00.
    const auto n = [&locale](double x) { return locale.toString(unsignedZero(x, 2), 'f', 2); };
    ui.lblDeltas->setText(tr("dL* %1  da* %2  db* %3\ndC* %4  dH* %5\ndE*ab %6  dE CMC %7  "
                             "dE 2000 %8")
                              .arg(n(d.dL), n(d.da), n(d.db), n(d.dC), n(d.dH), n(d.dE),
                                   n(deltaECmc(lab, standard)), n(de2000)));
    const bool pass = de2000 <= ui.spnTolerance->value();
    ui.lblVerdict->setText(pass ? tr("Pass") : tr("Fail"));
    ui.lblVerdict->setStyleSheet(pass ? QStringLiteral("color: white; background: #2e7d32")
                                      : QStringLiteral("color: white; background: #c62828"));
}

} // namespace quvane
