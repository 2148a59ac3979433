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

#include <QAccessible>
#include <QTabWidget>

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
        if (!reachable(widget, &window) || widget->window() != &window)
            continue;
        // A combo box's own view and line edit belong to it.
        if (qobject_cast<QComboBox *>(widget->parentWidget()))
            continue;
        controls << widget;
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
        const QString name = accessible ? accessible->text(QAccessible::Name) : QString();
        // A list named by the entry it shows says nothing of what it is for.
        const auto *list = qobject_cast<QComboBox *>(widget);
        if (list && list->accessibleName().isEmpty() && !list->currentText().isEmpty() &&
            name == list->currentText())
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

    frmUtility window{link};
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
    frmSampleID sampleId(window.identity());
    EXPECT_EQ(problems(sampleId).join("; ").toStdString(), "");
}

} // namespace
