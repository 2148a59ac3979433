#include "policy/Preferences.h"
#include "app/ColourPanel.h"
#include "app/frmPreferences.h"
#include "app/frmSampleID.h"
#include "app/frmUtility.h"
#include "dialogs/frmCapture.h"
#include "support/UiFixture.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

using namespace quvane;

namespace {

using modGlobals::DecodeDelimiterPreference;
using modGlobals::DelimiterSettings;
using modGlobals::EncodeDelimiterPreference;

TEST(DelimiterPreference, StoredFormsDecodeAndEncode)
{
    EXPECT_EQ(DecodeDelimiterPreference("Tab"), (DelimiterSettings{true, false, {}}));
    EXPECT_EQ(DecodeDelimiterPreference(""), (DelimiterSettings{true, false, {}}));
    EXPECT_EQ(DecodeDelimiterPreference("Comma"), (DelimiterSettings{false, false, {}}));
    EXPECT_EQ(DecodeDelimiterPreference("Custom:;"), (DelimiterSettings{false, true, ";"}));
    EXPECT_EQ(DecodeDelimiterPreference("Custom:"), (DelimiterSettings{false, true, ":"}));
    EXPECT_EQ(DecodeDelimiterPreference("xyz"), (DelimiterSettings{false, true, "z"}));
    EXPECT_EQ(DecodeDelimiterPreference("tab"), (DelimiterSettings{false, true, "b"}));

    EXPECT_EQ(EncodeDelimiterPreference({false, true, ";|"}), QStringLiteral("Custom:;"));
    EXPECT_EQ(EncodeDelimiterPreference({false, true, {}}), QStringLiteral("Tab"));
    EXPECT_EQ(EncodeDelimiterPreference({true, false, "x"}), QStringLiteral("Tab"));
    EXPECT_EQ(EncodeDelimiterPreference({false, false, "x"}), QStringLiteral("Comma"));

    EXPECT_EQ(modGlobals::GetDelimiter({false, false, "x"}), QStringLiteral(","));
    EXPECT_EQ(modGlobals::GetDelimiter({true, true, "|"}), QStringLiteral("|"));
    EXPECT_EQ(modGlobals::GetDelimiter({true, false, "|"}), QStringLiteral("\t"));
}

TEST(DelimiterPreference, StoreKeepsAwkwardCharactersAndIgnoresOddValues)
{
    for (const char *value : {"Custom:,", "Custom:\"", "Custom:=", "Custom:;", "Custom:\\"}) {
        PreferencesStore().SavePreference("Delimiter", QString::fromLatin1(value));
        EXPECT_EQ(PreferencesStore().GetPreference("Delimiter", "Tab"), QString::fromLatin1(value));
    }
    QSettings(QStringLiteral("Quvane"), QStringLiteral("QUVA USW"))
        .setValue(QStringLiteral("Preferences/Delimiter"), QStringList{"a", "b"});
    EXPECT_EQ(PreferencesStore().GetPreference("Delimiter", "Tab"), QStringLiteral("Tab"));
    EXPECT_EQ(PreferencesStore().GetPreference("Never Stored", "No"), QStringLiteral("No"));
}

class PreferencesDialogTest : public UiFixture
{
protected:
    void SetUp() override { window.Form_Load(); }

    QString stored() { return PreferencesStore().GetPreference("Delimiter", "<none>"); }

    // Opens the dialog from the File menu and runs the script on it.
    void openPreferences(const std::function<void(frmPreferences &)> &script)
    {
        prompts.onDialog(
            [script](QDialog &dialog) { script(static_cast<frmPreferences &>(dialog)); });
        window.mnuFileItem_Click(4);
    }

    // Numbers with a decimal comma.
    frmUtility window{prompts, link, TextFormat(QLocale(QLocale::German, QLocale::Germany))};
};

TEST_F(PreferencesDialogTest, OtherWithoutACharacterStoresTab)
{
    PreferencesStore().SavePreference("Delimiter", "Comma");
    openPreferences([](frmPreferences &dialog) {
        EXPECT_TRUE(dialog.ui.optComma->isChecked());
        // The comma is the decimal separator too: said while it is chosen, as Comma or Other.
        const QLabel *warning = dialog.ui.lblDecimalWarning;
        EXPECT_TRUE(warning->isVisibleTo(&dialog));
        dialog.ui.optOther->setChecked(true);
        EXPECT_FALSE(warning->isVisibleTo(&dialog));
        dialog.ui.txtOther->setText(QStringLiteral(","));
        EXPECT_TRUE(warning->isVisibleTo(&dialog));
        dialog.ui.txtOther->clear();
        dialog.ui.cmdOK->click();
    });
    EXPECT_EQ(stored(), QStringLiteral("Tab"));
    EXPECT_EQ(window.progressWindow().Delimiter, QStringLiteral("\t"));
    EXPECT_EQ(prompts.dialogTitles,
              std::vector<QString>{QStringLiteral("Preferences - Quvane QV45")});
}

// Alt+O presses Other, as this click does: the next key typed is the character.
TEST_F(PreferencesDialogTest, OtherThenACharacterStoresIt)
{
    PreferencesStore().SavePreference("Delimiter", "Tab");
    openPreferences([](frmPreferences &dialog) {
        QApplication::setActiveWindow(&dialog);
        QCoreApplication::processEvents();
        dialog.ui.optOther->setFocus(Qt::ShortcutFocusReason);
        dialog.ui.optOther->click();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Semicolon);
        EXPECT_EQ(dialog.ui.txtOther->text(), QStringLiteral(";"));
        EXPECT_EQ(dialog.ui.lblOther->buddy(), dialog.ui.txtOther);
        dialog.ui.cmdOK->click();
    });
    EXPECT_EQ(stored(), QStringLiteral("Custom:;"));
}

TEST_F(PreferencesDialogTest, TypingACharacterChoosesOther)
{
    PreferencesStore().SavePreference("Delimiter", "Tab");
    openPreferences([](frmPreferences &dialog) {
        // Characters the single-byte files cannot hold are not taken.
        for (const QString &key : {QStringLiteral("\u20ac"), QStringLiteral("\u2212")}) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, key);
            QApplication::sendEvent(dialog.ui.txtOther, &press);
        }
        QTest::keyClicks(dialog.ui.txtOther, QStringLiteral("|;"));
        EXPECT_EQ(dialog.ui.txtOther->text(), QStringLiteral("|"));
        EXPECT_TRUE(dialog.ui.optOther->isChecked());
        dialog.ui.cmdOK->click();
    });
    EXPECT_EQ(stored(), QStringLiteral("Custom:|"));
    EXPECT_EQ(window.progressWindow().Delimiter, QStringLiteral("|"));

    // It opens with Other chosen and the character shown; switching to Comma forgets it.
    openPreferences([](frmPreferences &dialog) {
        EXPECT_TRUE(dialog.ui.optOther->isChecked());
        EXPECT_EQ(dialog.ui.txtOther->text(), QStringLiteral("|"));
        dialog.ui.optComma->setChecked(true);
        dialog.ui.cmdOK->click();
    });
    EXPECT_EQ(stored(), QStringLiteral("Comma"));
    openPreferences([](frmPreferences &dialog) {
        EXPECT_TRUE(dialog.ui.txtOther->text().isEmpty());
        dialog.ui.cmdCancel->click();
    });
}

TEST_F(PreferencesDialogTest, CancelRewritesTheStoredValueNormalised)
{
    for (auto [before, after] :
         {std::pair{"xyz", "Custom:z"}, {"Custom:;", "Custom:;"}, {"", "Tab"}}) {
        PreferencesStore().SavePreference("Delimiter", QString::fromLatin1(before));
        openPreferences([](frmPreferences &dialog) { dialog.ui.cmdCancel->click(); });
        EXPECT_EQ(stored(), QString::fromLatin1(after)) << before;
    }
    EXPECT_EQ(window.progressWindow().Delimiter, QStringLiteral("\t"));
}

// The user's preferences file as it lies on the disk, typed in here: its folder, its name, its
// sections and its keys are what the utility and quvane both read, and what earlier versions
// left there.
class StoredPreferencesTest : public UiFixture
{
protected:
    void SetUp() override
    {
        const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Quvane");
        ASSERT_TRUE(QDir().mkpath(folder));
        QFile file(folder + QStringLiteral("/QUVA USW.conf"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[Preferences]\nDelimiter=Custom:|\nSample%20ID=Yes\nAutostore=Yes\n\n"
                   "[Colour]\nIlluminant=6\nObserver=0\nScale=2\n");
    }
    void TearDown() override
    {
        QFile::remove(qEnvironmentVariable("XDG_CONFIG_HOME") +
                      QStringLiteral("/Quvane/QUVA USW.conf"));
    }
};

TEST_F(StoredPreferencesTest, TheUtilityStartsWithTheUsersFile)
{
    frmUtility window{prompts, link};
    window.Form_Load();
    EXPECT_EQ(window.progressWindow().Delimiter, QStringLiteral("|"));
    EXPECT_TRUE(window.SampleIDPrompt);
    EXPECT_TRUE(window.mnuMeasureItem[6]->isChecked());
    const auto &panel = window.ui.colour->ui;
    EXPECT_EQ(panel.cboIlluminant->currentText(), QStringLiteral("F2"));
    EXPECT_EQ(panel.cboObserver->currentText(), QStringLiteral("2 degree"));
    EXPECT_EQ(panel.cboScale->currentText(), QStringLiteral("Hunter Lab"));
    bool autostore = false;
    prompts.onDialog([&autostore](QDialog &dialog) {
        autostore = static_cast<frmSampleID &>(dialog).ui.chkAutostore->isChecked();
        static_cast<frmSampleID &>(dialog).ui.cmdCancel->click();
    });
    window.mnuMeasureItem_Click(1);
    EXPECT_TRUE(autostore);
}

} // namespace
