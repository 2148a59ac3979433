#include "app/SingleInstance.h"
#include "app/StopSignals.h"
#include "app/frmUtility.h"
#include "dialogs/FormHelpers.h"
#include "policy/Preferences.h"
#include "support/UiFixture.h"

#include <QAction>
#include <QDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>

using namespace quvane;

namespace {

class StartupTest : public UiFixture
{
protected:
    void TearDown() override
    {
        PreferencesStore().SavePreference(QStringLiteral("Sample ID"), QStringLiteral("No"));
    }
};

TEST_F(StartupTest, MainWindowIsTitledWithTheInstrumentName)
{
    PreferencesStore().SavePreference(QStringLiteral("Sample ID"), QStringLiteral("Yes"));
    frmUtility window{prompts, link};
    window.Form_Load();
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Quvane QV45 Utility"));
    EXPECT_EQ(window.identity().mainTitle(), window.windowTitle());
    EXPECT_TRUE(window.identity().type);
    EXPECT_TRUE(window.SampleIDPrompt);
    ASSERT_EQ(window.mnuFileItem.size(), 7);
    ASSERT_EQ(window.mnuSensorItem.size(), 7);
    ASSERT_EQ(window.mnuMeasureItem.size(), 7);
    ASSERT_EQ(window.mnuDatalogItem.size(), 3);
    ASSERT_EQ(window.mnuHelpItem.size(), 1);
    EXPECT_TRUE(window.mnuMeasureItem[6]->isChecked());
    // Separators are lines alone, without the "-" of their place in the item arrays.
    for (QAction *item : window.mnuFileItem + window.mnuSensorItem + window.mnuMeasureItem) {
        if (item->isSeparator()) {
            EXPECT_TRUE(item->text().isEmpty());
        }
    }
    EXPECT_TRUE(window.mnuSensorItem[2]->isSeparator());

    // A dialog's caption is its design caption with the name appended, no blank added.
    QWidget dialog;
    dialog.setWindowTitle(QStringLiteral("Set Clock - "));
    AppendInstrumentName(dialog, window.identity().name);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Set Clock - Quvane QV45"));

    window.mnuFileItem_Click(6); // Exit unloads and disconnects
    EXPECT_FALSE(window.qvSensor.IsConnected());
}

TEST_F(StartupTest, NoInstrumentEndsWithItsMessageAlone)
{
    link.port = QStringLiteral("tcp://127.0.0.1:1");
    frmUtility window{prompts, link};
    prompts.answer(MsgAnswer::OK);
    EXPECT_THROW(window.Form_Load(), ProgramEnded);
    ASSERT_EQ(prompts.messages.size(), 1u);
    // The message, then the port tried and what it answered.
    EXPECT_TRUE(prompts.message(0).text.startsWith(
        QStringLiteral("Instrument not connected or turned off\n\ntcp://127.0.0.1:1: ")))
        << prompts.message(0).text.toStdString();
    EXPECT_EQ(prompts.message(0).icon, MsgIcon::None);
    EXPECT_EQ(prompts.message(0).buttons, MsgButtons::OK);
    EXPECT_EQ(prompts.message(0).title, QStringLiteral("Quvane Utility"));
}

TEST_F(StartupTest, OldFirmwareEndsWithTheUpgradeMessage)
{
    sim->identity().firmware = QStringLiteral("1.42");
    frmUtility window{prompts, link};
    prompts.answer(MsgAnswer::OK);
    EXPECT_THROW(window.Form_Load(), ProgramEnded);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.message(0).text,
              QStringLiteral("The firmware in the attached instrument is not compatible with this "
                             "program\n\nPlease contact Velmora to obtain upgrade information"));
    EXPECT_EQ(prompts.message(0).icon, MsgIcon::Critical);
    EXPECT_EQ(prompts.message(0).title, QStringLiteral("Quvane Utility"));
}

TEST_F(StartupTest, DatalogClearAsksFirst)
{
    sim->seedDatalog(9);
    frmUtility window{prompts, link};
    window.Form_Load();
    commands.clear();

    prompts.answer(MsgAnswer::No);
    window.mnuDatalogItem_Click(2);
    EXPECT_EQ(sim->datalog().size(), 9);
    EXPECT_TRUE(commands.isEmpty());

    prompts.answer(MsgAnswer::Yes);
    window.mnuDatalogItem_Click(2);
    EXPECT_TRUE(sim->datalog().isEmpty());
    EXPECT_EQ(commands, QByteArrayList{"X000FFFFFFFF01"});

    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.message(0).text, QStringLiteral("Proceed to clear the Datalog?"));
    EXPECT_EQ(prompts.message(0).icon, MsgIcon::Question);
    EXPECT_EQ(prompts.message(0).buttons, MsgButtons::YesNo);
    EXPECT_EQ(prompts.message(0).title, QStringLiteral("Quvane QV45 Utility"));
}

TEST_F(StartupTest, OperationsTrapErrorsForReportError)
{
    frmUtility window{prompts, link};
    window.Form_Load();
    sim->seedDatalog(5);
    commands.clear();

    // A timeout answered with Retry sends the command again, with the hourglass up meanwhile.
    sim->faults().silent = sim->commandsReceived() + 1;
    prompts.answer(MsgAnswer::Retry);
    window.session().ClearDatalog();
    ASSERT_EQ(prompts.texts(), QStringList{QStringLiteral("Communications Timeout")});
    EXPECT_EQ(prompts.message(0).buttons, MsgButtons::RetryCancel);
    EXPECT_EQ(prompts.message(0).icon, MsgIcon::Critical);
    EXPECT_EQ(prompts.message(0).title, QStringLiteral("Quvane Utility"));
    EXPECT_EQ(prompts.pointersAtMessages[0], MousePointer::Hourglass);
    EXPECT_EQ(commands, (QByteArrayList{"X000FFFFFFFF01", "X000FFFFFFFF01"}));
    EXPECT_TRUE(sim->datalog().isEmpty());
    EXPECT_EQ(prompts.GetMousePointer(), MousePointer::Default);

    // Cancel ends the program without closing the link.
    sim->faults().silent = sim->commandsReceived() + 1;
    prompts.answer(MsgAnswer::Cancel);
    EXPECT_THROW(window.session().ClearDatalog(), ProgramEnded);
    EXPECT_TRUE(window.qvSensor.IsConnected());

    // Any other error is fatal, with its number.
    sim->faults().reportedCount = 32768;
    prompts.answer(MsgAnswer::OK);
    EXPECT_THROW(window.session().DatalogCount(), ProgramEnded);
    EXPECT_TRUE(prompts.messages.back().text.startsWith(QLatin1String("Fatal Error #6\n\n")));
    EXPECT_EQ(prompts.messages.back().icon, MsgIcon::Critical);
    EXPECT_EQ(prompts.messages.back().buttons, MsgButtons::OK);
}

TEST(SingleInstance, ALaterCopyReturnsAndAsksTheFirstToShowItsWindow)
{
    QTemporaryDir folder;
    SingleInstance first(folder.path());
    ASSERT_TRUE(first.isFirst());
    int shown = 0;
    QObject::connect(&first, &SingleInstance::showRequested, [&shown] { ++shown; });

    SingleInstance later(folder.path());
    EXPECT_FALSE(later.isFirst());
    later.askFirstToShow();
    for (int i = 0; i < 100 && shown == 0; ++i)
        QTest::qWait(10);
    EXPECT_EQ(shown, 1);
}

// Ctrl-C or SIGTERM with a dialog open over a dialog: each is answered as Escape answers it,
// innermost first, and then the window closes.
TEST(StopSignals, CloseTheDialogsInnermostFirstThenTheWindow)
{
    QWidget window;
    window.show();
    StopSignals stop;
    stop.closeOnStop(window);
    QStringList closed;
    QTimer::singleShot(0, &window, [&] {
        QDialog outer(&window);
        QTimer::singleShot(0, &outer, [&] {
            QDialog inner(&outer);
            QTimer::singleShot(0, &inner, [] { std::raise(SIGTERM); });
            if (inner.exec() == QDialog::Rejected)
                closed << QStringLiteral("inner");
        });
        if (outer.exec() == QDialog::Rejected)
            closed << QStringLiteral("outer");
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 5000));
    EXPECT_EQ(closed, (QStringList{"inner", "outer"}));
    EXPECT_EQ(stop.received(), SIGTERM);
}

} // namespace
