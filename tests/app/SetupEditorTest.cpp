#include "app/frmUtility.h"
#include "records/QVSetup.h"
#include "setup_editor/frmSetup.h"
#include "support/UiFixture.h"
#include "transfer/BulkTransfers.h"
#include "transfer/TransferProgress.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace quvane;

namespace {

class SetupEditorTest : public UiFixture
{
protected:
    void SetUp() override
    {
        // Set-up 3 is the active one the editor opens with: CIE L*C*h, index Y, spectral.
        QVSetup setup;
        setup.ProductName = QStringLiteral("PAINT");
        setup.ColorScale = 2;
        setup.ColorIndex = 1;
        setup.DisplayMode = 5;
        setup.AverageCount = 3;
        setup.CommercialFactor = 1.0f;
        setup.l2cRatio = 2.0f;
        setup.Spectral = true;
        setup.setScaleData(1, 1.5f);
        setup.setScaleData(2, 0.3125f);
        setup.setScaleData(3, 0.123456f);
        setup.setColorDiffScale(2);
        setup.setScaleTolerance(1, 0.5f);
        setup.setIndexData(0.123456f);
        sim->setups()[2] = {setup.ProductName, setup.recordFields()};
        sim->setActiveSetup(2);
        window.Form_Load();
        commands.clear();
    }

    // Opens the editor and runs the script in it, with the window active so that the focus
    // moves as it does for the operator.
    void edit(const std::function<void(frmSetup &)> &script)
    {
        prompts.onDialog([&script](QDialog &dialog) {
            QApplication::setActiveWindow(&dialog);
            QCoreApplication::processEvents();
            script(static_cast<frmSetup &>(dialog));
        });
        window.showSetupEditor();
    }

    static void type(QLineEdit *field, const QString &text)
    {
        field->setFocus();
        field->clear();
        QTest::keyClicks(field, text);
    }
    // Puts a text in a field as if it held it (past the field's length limit too).
    static void hold(QLineEdit *field, const QString &text)
    {
        field->setFocus();
        field->setText(text);
    }

    // Leaves the field that has the focus, and lets the check's own focus move happen.
    static void leave(frmSetup &editor)
    {
        editor.ui.txtName->setFocus();
        QCoreApplication::processEvents();
    }

    frmUtility window{prompts, link};
};

TEST_F(SetupEditorTest, ValueFieldsFilterKeysAndCheckOnLeaving)
{
    edit([this](frmSetup &editor) {
        EXPECT_EQ(editor.windowTitle(), QStringLiteral("Product Set-up - Quvane QV45"));
        EXPECT_EQ(editor.ui.sstItems->currentIndex(), 1);
        // Scale 2 shows its second and third components with four decimals.
        EXPECT_EQ(editor.txtScale[1]->text(), QStringLiteral("1.50"));
        EXPECT_EQ(editor.txtScale[2]->text(), QStringLiteral("0.3125"));
        EXPECT_EQ(editor.txtDiffScale[1]->text(), QStringLiteral("0.5"));

        type(editor.txtScale[1], QStringLiteral("1,5"));
        EXPECT_EQ(editor.txtScale[1]->text(), QStringLiteral("15"));
        leave(editor);
        EXPECT_FLOAT_EQ(editor.EditedSetup.ScaleData(1), 15.0f);
        EXPECT_FALSE(editor.EditedSetup.Spectral);

        editor.EditedSetup.Spectral = true;
        prompts.answer(MsgAnswer::OK);
        type(editor.txtScale[2], QStringLiteral("--1"));
        leave(editor);
        EXPECT_EQ(prompts.texts(), QStringList{"What Is That?!"});
        EXPECT_EQ(prompts.message(0).icon, MsgIcon::Question);
        EXPECT_EQ(editor.txtScale[2]->text(), QStringLiteral("0.3125"));
        EXPECT_TRUE(editor.txtScale[2]->hasFocus());
        EXPECT_TRUE(editor.EditedSetup.Spectral);

        // Leaving untouched keeps Spectral; the same value typed differently clears it.
        editor.txtScale[1]->setFocus();
        leave(editor);
        EXPECT_TRUE(editor.EditedSetup.Spectral);
        editor.ShowStandardValues();
        editor.txtScale[1]->setFocus();
        editor.txtScale[1]->setText(QStringLiteral("15.0"));
        leave(editor);
        EXPECT_FALSE(editor.EditedSetup.Spectral);

        // 1e50 is beyond a single-precision real: a bad number.
        prompts.answer(MsgAnswer::OK);
        editor.ui.txtIndex->setFocus();
        editor.ui.txtIndex->setText(QStringLiteral("1e50"));
        leave(editor);
        EXPECT_EQ(prompts.lastText(), QStringLiteral("What Is That?!"));
        editor.ui.cmdCancel->click();
    });
    EXPECT_TRUE(commands.size() == 1); // the read at load, nothing written
}

TEST_F(SetupEditorTest, AverageCountAndCmcRangesAreCheckedOnLeaving)
{
    edit([this](frmSetup &editor) {
        editor.ui.sstItems->setCurrentIndex(0);
        // The field takes two characters; the conversion rounds halves to even.
        EXPECT_EQ(frmSetup::wholeNumber(QStringLiteral("24.5")), qint16(24));
        EXPECT_EQ(frmSetup::wholeNumber(QStringLiteral("25.5")), qint16(26));
        EXPECT_EQ(frmSetup::wholeNumber(QStringLiteral("0.6")), qint16(1));
        const std::pair<const char *, int> counts[] = {{".6", 1}, {"25", 25}};
        for (auto [text, stored] : counts) {
            hold(editor.ui.txtCount, QString::fromLatin1(text));
            leave(editor);
            EXPECT_EQ(editor.EditedSetup.AverageCount, stored) << text;
        }
        for (const char *bad : {"26", "0", ""}) {
            prompts.answer(MsgAnswer::OK);
            hold(editor.ui.txtCount, QString::fromLatin1(bad));
            leave(editor);
            EXPECT_EQ(prompts.lastText(),
                      QStringLiteral("Average Count:\n\nValid Range Is 1 To 25"))
                << bad;
            EXPECT_EQ(editor.EditedSetup.AverageCount, 25) << bad;
        }
        hold(editor.ui.txtCount, QStringLiteral("3"));
        for (auto [text, valid] :
             {std::pair{"9.9", true}, {"10", false}, {"-0", true}, {".5", true}}) {
            if (!valid)
                prompts.answer(MsgAnswer::OK);
            type(editor.ui.txtCMCFactor, QString::fromLatin1(text));
            leave(editor);
            if (valid) {
                EXPECT_FLOAT_EQ(editor.EditedSetup.CommercialFactor,
                                QString::fromLatin1(text).toFloat())
                    << text;
            } else {
                EXPECT_EQ(prompts.lastText(),
                          QStringLiteral("Commercial Factor:\n\nValid Range Is 0 To 9.9"));
                EXPECT_EQ(prompts.messages.back().icon, MsgIcon::Critical);
            }
        }
        editor.ui.cmdCancel->click();
    });
}

TEST_F(SetupEditorTest, SendAndDoneCheckFirstAndWriteUnderTheTypedNumber)
{
    edit([this](frmSetup &editor) {
        // A count of 30 is refused: "General" to the front, the focus in the count, nothing sent.
        editor.ui.txtCount->setText(QStringLiteral("30"));
        prompts.answer(MsgAnswer::OK);
        editor.ui.cmdSend->click();
        EXPECT_EQ(prompts.lastText(), QStringLiteral("Average Count:\n\nValid Range Is 1 To 25"));
        EXPECT_EQ(editor.ui.sstItems->currentIndex(), 0);
        QCoreApplication::processEvents();
        EXPECT_TRUE(editor.ui.txtCount->hasFocus());
        EXPECT_EQ(commands.size(), 1);
        EXPECT_TRUE(editor.isVisible());

        // Send writes under the number typed; 0.123456 shown as 0.12 goes as 0.12.
        editor.ui.txtCount->setText(QStringLiteral("4"));
        editor.ui.txtSetup->setText(QStringLiteral("7"));
        editor.ui.cmdSend->click();
        EXPECT_TRUE(commands.value(commands.size() - 1).startsWith("P0006T"));
    });
    QVSetup sent(window.qvSensor);
    sent.Read(7);
    EXPECT_EQ(sent.ProductName, QStringLiteral("PAINT"));
    EXPECT_EQ(sent.AverageCount, 4);
    EXPECT_FLOAT_EQ(sent.IndexData(), 0.12f);

    // Done with set-up 0: the message, nothing written, and the editor stays open with the
    // focus in the number, so that no edit is lost.
    commands.clear();
    prompts.answer(MsgAnswer::OK);
    edit([](frmSetup &editor) {
        editor.ui.txtSetup->setText(QStringLiteral("0"));
        editor.ui.cmdDone->click();
        QCoreApplication::processEvents();
        EXPECT_TRUE(editor.isVisible());
        EXPECT_TRUE(editor.ui.txtSetup->hasFocus());
    });
    EXPECT_EQ(prompts.lastText(), QStringLiteral("Invalid Product Set-up Number"));
    EXPECT_EQ(commands.size(), 1); // the read at load only
}

// With a window manager that gives the activation back after each message box, the tab and the
// field a check names stay in front; a pick with the keyboard's popup is an operator change.
TEST_F(SetupEditorTest, MessagesKeepTheTabAndFieldTheyNameAndPopupPicksReset)
{
    prompts.activateLikeAWindowManager = true;
    edit([this](frmSetup &editor) {
        QCoreApplication::processEvents();
        // The first focus selects the whole number, so typing replaces it.
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("5"));
        EXPECT_EQ(editor.ui.txtSetup->text(), QStringLiteral("5"));

        editor.ui.sstItems->setCurrentIndex(0);
        type(editor.ui.txtCount, QStringLiteral("30"));
        prompts.answer(MsgAnswer::OK);
        QTest::keyClick(editor.ui.txtCount, Qt::Key_Return); // Enter: Done
        QCoreApplication::processEvents();
        EXPECT_EQ(prompts.messages.size(), 1u) << prompts.texts().join('|').toStdString();
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(editor.ui.sstItems->currentIndex(), 0);
        EXPECT_EQ(QApplication::focusWidget(), editor.ui.txtCount);
        type(editor.ui.txtCount, QStringLiteral("3"));

        // A bad tolerance: the Tolerances tab stays, the old value comes back selected.
        editor.ui.sstItems->setCurrentIndex(2);
        prompts.answer(MsgAnswer::OK);
        type(editor.txtDiffScale[1], QStringLiteral("x"));
        editor.ui.cboDiffScale->setFocus();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents(); // the selection follows the focus's return
        EXPECT_EQ(prompts.lastText(), QStringLiteral("What Is That?!"));
        EXPECT_EQ(editor.ui.sstItems->currentIndex(), 2);
        EXPECT_EQ(QApplication::focusWidget(), editor.txtDiffScale[1]);
        EXPECT_EQ(editor.txtDiffScale[1]->selectedText(), editor.txtDiffScale[1]->text());

        // Alt+Down and Enter on the scale list: the standard's values are reset.
        editor.ui.sstItems->setCurrentIndex(1);
        editor.ui.cboScale->setFocus();
        QCoreApplication::processEvents();
        QTest::keyClick(editor.ui.cboScale, Qt::Key_Down, Qt::AltModifier);
        QWidget *popup = QApplication::activePopupWidget();
        ASSERT_NE(popup, nullptr);
        const int before = editor.ui.cboScale->currentIndex();
        QTest::keyClick(editor.ui.cboScale->view(), Qt::Key_Down);
        QTest::keyClick(editor.ui.cboScale->view(), Qt::Key_Return);
        QCoreApplication::processEvents();
        EXPECT_EQ(editor.ui.cboScale->currentIndex(), before + 1);
        EXPECT_EQ(editor.EditedSetup.ScaleData(1), 0.0f);
        EXPECT_EQ(editor.EditedSetup.ScaleTolerance(1), 0.0f);
        editor.ui.cmdCancel->click();
    });
}

TEST_F(SetupEditorTest, SpinArrowsStepTheNumberTextOnly)
{
    edit([this](frmSetup &editor) {
        const auto arrows = editor.ui.spnSetup->findChildren<QToolButton *>();
        ASSERT_EQ(arrows.size(), 2);
        QToolButton *up = arrows[0]->arrowType() == Qt::UpArrow ? arrows[0] : arrows[1];
        QToolButton *down = up == arrows[0] ? arrows[1] : arrows[0];
        const auto after = [&editor](QToolButton *arrow, const QString &text) {
            editor.ui.txtSetup->setText(text);
            QTest::mouseClick(arrow, Qt::LeftButton);
            return editor.ui.txtSetup->text();
        };
        EXPECT_EQ(after(up, QStringLiteral("99")), QStringLiteral("99"));
        EXPECT_EQ(after(down, QStringLiteral("99")), QStringLiteral("98"));
        EXPECT_EQ(after(down, QStringLiteral("1")), QStringLiteral("1"));
        EXPECT_EQ(after(up, QStringLiteral("0")), QStringLiteral("1"));
        EXPECT_EQ(after(up, QStringLiteral("ab")), QStringLiteral("ab"));
        // The Up and Down keys in the number do what the arrows do.
        editor.ui.txtSetup->setText(QStringLiteral("5"));
        QTest::keyClick(editor.ui.txtSetup, Qt::Key_Up);
        QTest::keyClick(editor.ui.txtSetup, Qt::Key_Up);
        QTest::keyClick(editor.ui.txtSetup, Qt::Key_Down);
        EXPECT_EQ(editor.ui.txtSetup->text(), QStringLiteral("6"));
        // Ctrl+Tab and Ctrl+Shift+Tab turn the pages from the number too.
        const int page = editor.ui.sstItems->currentIndex();
        QTest::keyClick(editor.ui.txtSetup, Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_EQ(editor.ui.sstItems->currentIndex(), (page + 1) % 3);
        QTest::keyClick(editor.ui.txtSetup, Qt::Key_Backtab,
                        Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(editor.ui.sstItems->currentIndex(), page);
        EXPECT_EQ(commands.size(), 1); // the read at load: the arrows read and write nothing
        // A name of 18 capitals shows whole.
        editor.ui.txtName->setText(QString(18, u'W'));
        const QFontMetrics metrics(editor.ui.txtName->font());
        EXPECT_GE(editor.ui.txtName->width(), metrics.horizontalAdvance(editor.ui.txtName->text()));
        editor.ui.cmdCancel->click();
    });
}

TEST_F(SetupEditorTest, PopulationAndScaleChangesFollowTheChoiceRules)
{
    // Display mode 5 is offered only without a numeric or hitch standard; illuminant 9 never.
    QVSetup odd;
    odd.StandardType = 3;
    odd.DisplayMode = 5;
    odd.Illuminant = 9;
    odd.ColorScale = 1;
    odd.setScaleData(1, 7.0f);
    odd.setScaleTolerance(1, 2.0f);
    sim->setups()[2] = {QStringLiteral("ODD"), odd.recordFields()};
    edit([](frmSetup &editor) {
        EXPECT_EQ(editor.EditedSetup.DisplayMode, 0);
        EXPECT_EQ(editor.ui.cboDisplayMode->currentIndex(), 0);
        EXPECT_EQ(editor.EditedSetup.Illuminant, 9);
        EXPECT_EQ(editor.ui.cboIlluminant->currentIndex(), -1);
        EXPECT_FLOAT_EQ(editor.EditedSetup.ScaleData(1), 7.0f); // population resets nothing

        // The operator picks another scale, then the first again while the list keeps focus.
        editor.ui.sstItems->setCurrentIndex(1);
        editor.ui.cboScale->setFocus();
        const int first = editor.ui.cboScale->currentIndex();
        editor.ui.cboScale->setCurrentIndex(first + 1);
        EXPECT_FLOAT_EQ(editor.EditedSetup.ScaleData(1), 0.0f);
        EXPECT_FLOAT_EQ(editor.EditedSetup.ScaleTolerance(1), 0.0f);
        editor.EditedSetup.setScaleData(1, 3.0f);
        editor.ui.cboScale->setCurrentIndex(first);
        EXPECT_FLOAT_EQ(editor.EditedSetup.ScaleData(1), 3.0f); // not zeroed again
        editor.ui.cmdCancel->click();
    });
}

TEST_F(SetupEditorTest, ArchiveEditThreeRestoreGivesTheArchiveBack)
{
    QTemporaryDir dir;
    const QString archive = dir.filePath(QStringLiteral("setups.txt"));
    SilentProgress progress;
    BulkTransfers transfers({&window.qvSensor, "\t", TextFormat(), {}}, progress);
    ASSERT_EQ(transfers.UploadSetups(archive).result, TransferResult::Completed);
    const auto before = sim->setups();
    for (const char *number : {"1", "50", "100"}) {
        edit([number](frmSetup &editor) {
            editor.ui.txtSetup->setText(QString::fromLatin1(number));
            editor.ui.cmdGet->click();
            editor.ui.txtName->setText(QStringLiteral("CHANGED"));
            editor.ui.txtCount->setText(QStringLiteral("9"));
            editor.ui.cmdDone->click();
        });
    }
    EXPECT_EQ(sim->setups()[49].name, QStringLiteral("CHANGED"));
    ASSERT_EQ(transfers.DownloadSetups(archive).result, TransferResult::Completed);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(sim->setups()[i].name, before[i].name) << i;
        EXPECT_EQ(sim->setups()[i].fields, before[i].fields) << i;
    }
}

} // namespace
