#pragma once

#include "dialogs/QvDialog.h"
#include "records/QVSetup.h"
#include "ui_frmSetup.h" // generated from frmSetup.ui

#include <array>
#include <optional>

class QComboBox;
class QLineEdit;

namespace quvane {
class InstrumentWindow;
}

// The product set-up editor: reads one set-up from the instrument, shows it on three tabs,
// checks what the operator enters and sends it back.
class frmSetup : public quvane::QvDialog
{
    Q_OBJECT

public:
    frmSetup(quvane::InstrumentWindow &main, QWidget *parent = nullptr);

    Ui::frmSetup ui;
    QVSetup EditedSetup;
    bool ListHasFocus = false;
    qint16 FocusListIndex = -1;
    QString FocusText;

    // The control arrays, indexed 1 to 3 (element 0 unused).
    std::array<QLabel *, 4> lblScale{};
    std::array<QLineEdit *, 4> txtScale{};
    std::array<QLabel *, 4> lblDiffScale{};
    std::array<QLineEdit *, 4> txtDiffScale{};

    void PopulateSetup();
    void ShowAverageCount();
    void ShowStandardValues();
    void ShowToleranceValues();
    bool SetupNumberValid();
    bool CheckSetupItems();
    void UpdateSetupMembers();
    void ReplaceSetup();
    static qint16 CheckNumericKey(qint16 KeyAscii);

    // Numeric text: an optional sign, digits with at most one point, an optional exponent,
    // blanks around; the real conversion must hold it.
    static std::optional<double> numericValue(const QString &text);
    // The whole-number conversion: halves to the even neighbour, within 16 bits.
    static std::optional<qint16> wholeNumber(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct ListInfo
    {
        QComboBox *list;
        qint32 item;
        bool fallback;
        bool tracked;
    };
    void Form_Load();
    void Form_Activate() override;
    void fillList(const ListInfo &info);
    void list_Click(const ListInfo &info);
    const ListInfo &listOf(QComboBox *list) const;
    qint32 member(qint32 item) const;
    void setMember(qint32 item, qint32 code);
    void valueField_LostFocus(QLineEdit *field);
    void spnSetup_Change(int step);
    void BadNumberError();
    void cmdGet_Click();
    void cmdSend_Click();
    void cmdDone_Click();
    void cmdCancel_Click() { reject(); }
    // Moves the focus to the button and lets pending events run, so that the field being left
    // is checked first.
    // Moves the focus to a button and lets the field left check its entry; false when it
    // refused it (and said so).
    bool focusButton(QPushButton *button);
    void focusLater(QWidget *widget);

    quvane::InstrumentWindow &m_main;
    // The activation went to one of the editor's own message boxes or popups.
    bool m_lentToOwnWindow = false;
    // A field's check refused its entry since the last button press began.
    bool m_entryRefused = false;
    std::vector<ListInfo> m_lists;
};
