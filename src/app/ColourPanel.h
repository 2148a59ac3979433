#pragma once

#include "colour/Colorimetry.h"
#include "colour/Tolerance.h"
#include "policy/Preferences.h"
#include "policy/Prompter.h"
#include "store/HistoryTarget.h"
#include "store/Standard.h"
#include "ui_ColourPanel.h" // generated from ColourPanel.ui

#include <QWidget>

#include <functional>
#include <optional>

class QVSetup;

namespace quvane {

class UtilitySession;

// The colour values of the measurement shown, beside its spectrum: for an illuminant, observer
// and scale the operator picks (remembered in the preferences store), with a swatch; and,
// against a standard (a measurement, a product set-up's, a stored one), its values and the
// verdict under each condition of its tolerance sets, with the differences and the metamerism
// index, Pass, Warn or Fail in words and colour. A standard without tolerances of its own is
// judged by dE 2000 within the panel's tolerance, under its own conditions when it has values
// alone and under the panel's when it has a spectrum.
class ColourPanel : public QWidget
{
    Q_OBJECT

public:
    explicit ColourPanel(QWidget *parent = nullptr);

    void showSpectrum(const Colour::Spectrum &spectrum);
    // Several readings of one sample: shows their mean, with their spread under the panel's
    // illuminant and observer, and returns them.
    Colour::Repeatability showReadings(const QList<Colour::Spectrum> &readings);
    // The readings a Sample averages for the standard: a set-up's own count; none otherwise.
    std::optional<int> standardReadings() const { return m_standardReadings; }
    void clear();
    // The reference from a set-up: its standard's spectrum, or its L*a*b* values when it
    // keeps no spectrum; its tolerance when it gives one. False when it gives neither.
    bool setStandard(const QVSetup &setup);

    // The session Standard from set-up reads a set-up through.
    void setSession(UtilitySession *session) { m_session = session; }
    // The store the choices are read from, at once, and written to as the operator changes
    // them; without one they are the defaults and last until the panel goes.
    void setPreferences(PreferencesStore *preferences);
    // Where the panel's questions and messages go; set before the panel is used.
    void setPrompter(Prompter &prompter) { m_prompter = &prompter; }
    // The history the standards are kept in: "Set as standard" asks a name and stores the
    // measurement under it, and "Stored..." offers the stored ones. Without one (or with the
    // history off) Set as standard asks nothing.
    std::function<HistoryTarget()> history;
    // A stored standard as the reference.
    void setStandard(const Standard &standard);

    Ui::ColourPanel ui;

private:
    Colour::Colorimeter colorimeter() const;
    void refresh();
    void showChoices(const ColourChoices &choices);
    void saveChoices() const;
    // Asks for a product set-up and takes its standard as the reference.
    void askStandardFromSetup();
    // Asks a name for the measurement shown and stores it as a standard.
    void storeStandard();
    // Offers the stored standards and takes the one chosen.
    void askStoredStandard();
    // Where the history is; a message says why not when it is off.
    std::optional<HistoryLocation> historyLocation(Station &station);

    // Takes a standard: its colour, name and tolerance sets (none: the panel's dE 2000 limit).
    void takeStandard(const Colour::StandardColour &colour, const QString &name,
                      const QList<Colour::ToleranceSet> &tolerances);
    // The standard judged, its values and the verdicts shown.
    void showJudgement(const Colour::Spectrum &sample);

    std::optional<Colour::Spectrum> m_spectrum;
    std::optional<Colour::StandardColour> m_standard;
    QList<Colour::ToleranceSet> m_tolerances;
    std::optional<int> m_standardReadings;
    UtilitySession *m_session = nullptr;
    PreferencesStore *m_preferences = nullptr;
    Prompter *m_prompter = nullptr;
    Prompter &prompter() const { return *m_prompter; }
};

} // namespace quvane
