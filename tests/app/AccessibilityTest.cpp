// Every window as a screen reader and the keyboard meet it: each control the focus can reach has
// a name, and Tab reaches every one of them.
#include "app/frmPreferences.h"
#include "app/frmSampleID.h"
#include "app/frmUtility.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmBitmap.h"
#include "dialogs/frmCapture.h"
#include "dialogs/frmConfig.h"
#include "dialogs/frmDatalog.h"
#include "dialogs/frmDateTime.h"
#include "setup_editor/frmSetup.h"
#include "support/UiFixture.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QChartView>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

using namespace quvane;

namespace {

bool reachable(const QWidget *widget, const QWidget *window)
{
    return widget->isVisibleTo(window) && widget->isEnabled() &&
           (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy();
}

// What a screen reader or the Tab key would miss in the window as it is shown now.
QStringList problems(QWidget &window)
{
    QStringList found;
    QList<QWidget *> controls;
    for (QWidget *widget : window.findChildren<QWidget *>()) {
        // A screen reader hears every object it is told can take the focus (one with a focus
        // proxy too); the Tab key reaches those that take it themselves.
        if (!widget->isVisibleTo(&window) || widget->focusPolicy() == Qt::NoFocus ||
            widget->window() != &window)
            continue;
        // A combo box's or spin box's own view and line edit belong to it.
        if (qobject_cast<QComboBox *>(widget->parentWidget()) ||
            qobject_cast<QAbstractSpinBox *>(widget->parentWidget()))
            continue;
        if (reachable(widget, &window))
            controls << widget;
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
        const QString name = accessible ? accessible->text(QAccessible::Name) : QString();
        // A list named by the entry it shows says nothing of what it is for. (The name is the
        // interface's, as the Linux bridge gives it to a screen reader: a list's accessibleName
        // alone never reached it.)
        const auto *list = qobject_cast<QComboBox *>(widget);
        if (list && !list->currentText().isEmpty() && name == list->currentText())
            found << QStringLiteral("%1: named by its current entry").arg(widget->objectName());
        else if (name.trimmed().isEmpty())
            found << QStringLiteral("%1 (%2): no accessible name")
                         .arg(widget->objectName(),
                              QLatin1String(widget->metaObject()->className()));
    }
    // Tab from each control goes round the others and comes back.
    if (!controls.isEmpty()) {
        QList<QWidget *> seen;
        QWidget *at = controls.first();
        for (int step = 0; step < 500; ++step) {
            at = at->nextInFocusChain();
            if (reachable(at, &window) && controls.contains(at) && !seen.contains(at))
                seen << at;
            if (at == controls.first())
                break;
        }
        for (QWidget *control : controls) {
            if (!seen.contains(control))
                found << QStringLiteral("%1: not in the tab order").arg(control->objectName());
        }
    }
    return found;
}

class AccessibilityTest : public UiFixture
{
protected:
    void SetUp() override { window.Form_Load(); }

    // Opens a dialog through its launcher and checks it as it is shown.
    void check(void (frmUtility::*show)(), const std::function<void(QDialog &)> &more = {})
    {
        prompts.onDialog([&more](QDialog &dialog) {
            EXPECT_EQ(problems(dialog).join("; ").toStdString(), "")
                << dialog.windowTitle().toStdString();
            if (more)
                more(dialog);
        });
        (window.*show)();
    }

    frmUtility window{prompts, link};
};

TEST_F(AccessibilityTest, EveryControlOfEveryWindowHasANameAndATabStop)
{
    EXPECT_EQ(problems(window).join("; ").toStdString(), "");
    EXPECT_EQ(problems(window.progressWindow()).join("; ").toStdString(), "");
    check(&frmUtility::showIdentification);
    check(&frmUtility::showClock);
    check(&frmUtility::showDatalogViewer);
    check(&frmUtility::showScreenCapture);
    check(&frmUtility::showAbout);
    // The editor, on each of its three tabs.
    check(&frmUtility::showSetupEditor, [](QDialog &dialog) {
        auto &editor = static_cast<frmSetup &>(dialog);
        for (int tab : {0, 2}) {
            editor.ui.sstItems->setCurrentIndex(tab);
            EXPECT_EQ(problems(editor).join("; ").toStdString(), "") << "tab " << tab;
        }
    });
    frmPreferences preferences(window.identity());
    EXPECT_EQ(problems(preferences).join("; ").toStdString(), "");
    frmSampleID sampleId(prompts, window.identity());
    EXPECT_EQ(problems(sampleId).join("; ").toStdString(), "");
}

// The first keys of the main window go to the grid, never to a list of the colour panel, where
// Down or PgDn would change a stored choice unseen.
TEST_F(AccessibilityTest, TheFirstKeysOfTheMainWindowChangeNoChoice)
{
    QApplication::setActiveWindow(&window);
    const QComboBox *illuminant = window.ui.colour->ui.cboIlluminant;
    const int chosen = illuminant->currentIndex();
    ASSERT_EQ(QApplication::focusWidget(), window.fgSpectrum);
    QTest::keyClick(window.fgSpectrum, Qt::Key_Down);
    QTest::keyClick(window.fgSpectrum, Qt::Key_PageDown);
    EXPECT_EQ(illuminant->currentIndex(), chosen);
}

// A 1024 x 600 screen holds the whole window with its frame, with a graph one can read at its
// smallest; a window tall enough shows every row of the grid without a scroll bar.
TEST_F(AccessibilityTest, TheWindowFitsASmallScreen)
{
    const QSize least = window.minimumSizeHint();
    EXPECT_LE(least.width(), 1000);
    EXPECT_LE(least.height(), 540);
    window.resize(least);
    QCoreApplication::processEvents();
    EXPECT_GE(window.cwgSpectrum->width(), 280);
    EXPECT_GE(window.cwgSpectrum->height(), 200);
    window.resize(1180, 800);
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.fgSpectrum->verticalScrollBar()->isVisible());
    EXPECT_GE(window.fgSpectrum->height(), window.fgSpectrum->rowHeight(0) * 32);
}

} // namespace
