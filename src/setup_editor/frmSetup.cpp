#include "setup_editor/frmSetup.h"

#include "dialogs/InstrumentWindow.h"
#include "link/modGlobals.h"
#include "policy/Prompter.h"
#include "policy/ReportError.h"
#include "records/InstrumentCodes.h"
#include "records/SetupText.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QShortcut>

#include <cmath>
#include <limits>
#include <utility>

using namespace quvane;

namespace {

// "0.00" and the like: at least one digit before the point, `decimals` after it, rounded.
QString formatted(float value, int decimals)
{
    return QString::number(static_cast<double>(value), 'f', decimals);
}

} // namespace

frmSetup::frmSetup(InstrumentWindow &main, QWidget *parent)
    : QvDialog(QString(), main.identity(), parent), EditedSetup(main.sensor()), m_main(main)
{
    ui.setupUi(this);
    lblScale = {nullptr, ui.lblScale_1, ui.lblScale_2, ui.lblScale_3};
    txtScale = {nullptr, ui.txtScale_1, ui.txtScale_2, ui.txtScale_3};
    lblDiffScale = {nullptr, ui.lblDiffScale_1, ui.lblDiffScale_2, ui.lblDiffScale_3};
    txtDiffScale = {nullptr, ui.txtDiffScale_1, ui.txtDiffScale_2, ui.txtDiffScale_3};
    m_lists = {
        {ui.cboStandardType, SetupItem::StandardType, false, false},
        {ui.cboDisplayMode, SetupItem::DisplayMode, true, false},
        {ui.cboIlluminant, SetupItem::Illuminant, false, true},
        {ui.cboObserver, SetupItem::Observer, false, true},
        {ui.cboScale, SetupItem::ColorScale, true, true},
        {ui.cboIndex, SetupItem::ColorIndex, true, true},
        {ui.cboDiffScale, SetupItem::ColorDiffScale, true, true},
        {ui.cboDiffIndex, SetupItem::ColorDiffIndex, true, true},
    };
    for (const ListInfo &info : m_lists) {
        QComboBox *list = info.list;
        connect(list, &QComboBox::currentIndexChanged, this,
                [this, list] { list_Click(listOf(list)); });
        list->installEventFilter(this);
    }
    for (QLineEdit *field : findChildren<QLineEdit *>())
        field->installEventFilter(this);
    ui.spnSetup->setField(ui.txtSetup);
    // Room for the 18 characters of a name in capitals.
    ui.txtName->setMinimumWidth(ui.txtName->fontMetrics().horizontalAdvance(QString(18, u'W')) +
                                12);
    connect(ui.spnSetup, &SpinButton::down, this, [this] { spnSetup_Change(-1); });
    connect(ui.spnSetup, &SpinButton::up, this, [this] { spnSetup_Change(+1); });
    connect(ui.cmdGet, &QPushButton::clicked, this, &frmSetup::cmdGet_Click);
    connect(ui.cmdSend, &QPushButton::clicked, this, &frmSetup::cmdSend_Click);
    connect(ui.cmdDone, &QPushButton::clicked, this, &frmSetup::cmdDone_Click);
    connect(ui.cmdCancel, &QPushButton::clicked, this, &frmSetup::cmdCancel_Click);
    // Ctrl+Tab and Ctrl+Shift+Tab turn the pages from anywhere in the editor, the set-up number
    // and the name above the pages too (the pages alone answer them only from within).
    for (const auto &[keys, step] : {std::pair{QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
                                     {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
                                     {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1}}) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this, step = step] {
            const int pages = ui.sstItems->count();
            ui.sstItems->setCurrentIndex((ui.sstItems->currentIndex() + step + pages) % pages);
        });
    }
    Form_Load();
}

void frmSetup::Form_Load()
{
    QvDialog::Form_Load();
    busyTrapped(m_main.prompter(), [this] { EditedSetup.Read(0); });
    PopulateSetup();
}

void frmSetup::Form_Activate()
{
    ui.sstItems->setCurrentIndex(1);
    ListHasFocus = false;
}

void frmSetup::changeEvent(QEvent *event)
{
    QvDialog::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    // The activation step is for the operator coming back to the editor from elsewhere. The
    // editor's own message boxes and list popups take the activation for a moment and give it
    // back: the tab and the field they leave in front must stay.
    if (!isActiveWindow()) {
        const QWidget *now = QApplication::activeWindow();
        m_lentToOwnWindow =
            QApplication::activePopupWidget() != nullptr ||
            (now && now != this && isAncestorOf(now)) ||
            (QApplication::activeModalWidget() && QApplication::activeModalWidget() != this);
    } else if (!std::exchange(m_lentToOwnWindow, false)) {
        Form_Activate();
    }
}

// ---- Numbers -----------------------------------------------------------------------------

std::optional<double> frmSetup::numericValue(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    const QString trimmed = text.trimmed();
    if (!number.match(trimmed).hasMatch())
        return std::nullopt;
    const double value = QLocale::c().toDouble(trimmed);
    // A number a single-precision real cannot hold is no number here.
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max())
        return std::nullopt;
    return value;
}

std::optional<qint16> frmSetup::wholeNumber(const QString &text)
{
    const std::optional<double> value = numericValue(text);
    if (!value)
        return std::nullopt;
    const double rounded = std::nearbyint(*value); // halves to the even neighbour
    if (rounded < std::numeric_limits<qint16>::min() ||
        rounded > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(rounded);
}

qint16 frmSetup::CheckNumericKey(qint16 KeyAscii)
{
    if (KeyAscii < 32)
        return KeyAscii;
    if (KeyAscii == '.' || KeyAscii == '-' || (KeyAscii >= '0' && KeyAscii <= '9'))
        return KeyAscii;
    return 0;
}

// ---- Lists -------------------------------------------------------------------------------

const frmSetup::ListInfo &frmSetup::listOf(QComboBox *list) const
{
    for (const ListInfo &info : m_lists) {
        if (info.list == list)
            return info;
    }
    return m_lists.front();
}

qint32 frmSetup::member(qint32 item) const
{
    switch (item) {
    case SetupItem::StandardType:
        return EditedSetup.StandardType;
    case SetupItem::DisplayMode:
        return EditedSetup.DisplayMode;
    case SetupItem::Illuminant:
        return EditedSetup.Illuminant;
    case SetupItem::Observer:
        return EditedSetup.Observer;
    case SetupItem::ColorScale:
        return EditedSetup.ColorScale;
    case SetupItem::ColorIndex:
        return EditedSetup.ColorIndex;
    case SetupItem::ColorDiffScale:
        return EditedSetup.ColorDiffScale();
    default:
        return EditedSetup.ColorDiffIndex();
    }
}

void frmSetup::setMember(qint32 item, qint32 code)
{
    switch (item) {
    case SetupItem::StandardType:
        EditedSetup.StandardType = code;
        break;
    case SetupItem::DisplayMode:
        EditedSetup.DisplayMode = code;
        break;
    case SetupItem::Illuminant:
        EditedSetup.Illuminant = code;
        break;
    case SetupItem::Observer:
        EditedSetup.Observer = code;
        break;
    case SetupItem::ColorScale:
        EditedSetup.ColorScale = code;
        break;
    case SetupItem::ColorIndex:
        EditedSetup.ColorIndex = code;
        break;
    case SetupItem::ColorDiffScale:
        EditedSetup.setColorDiffScale(code);
        break;
    default:
        EditedSetup.setColorDiffIndex(code);
        break;
    }
}

void frmSetup::fillList(const ListInfo &info)
{
    QList<qint16> codes(QVSetup::ChoiceListSize);
    const int n = EditedSetup.GetNumberOfChoices(info.item);
    EditedSetup.GetListOfChoices(info.item, codes);
    int selected = -1;
    {
        // The entries go in quietly; the one selection below raises the handler, as
        // selecting an entry does.
        const QSignalBlocker quiet(info.list);
        info.list->clear();
        for (int i = 0; i < n; ++i) {
            info.list->addItem(SetupChoiceText(info.item, codes[i]), codes[i]);
            if (codes[i] == member(info.item))
                selected = i; // the last match stays selected
        }
        info.list->setCurrentIndex(-1);
    }
    if (selected < 0 && info.fallback && n > 0)
        selected = 0; // the handler sets the member to this entry's code
    if (selected >= 0)
        info.list->setCurrentIndex(selected);
}

void frmSetup::list_Click(const ListInfo &info)
{
    const int index = info.list->currentIndex();
    if (index < 0)
        return;
    setMember(info.item, info.list->itemData(index).toInt());
    const bool operatorChange = info.tracked && ListHasFocus && index != FocusListIndex;
    auto fill = [this](QComboBox *list) { fillList(listOf(list)); };
    switch (info.item) {
    case SetupItem::StandardType:
        fill(ui.cboDisplayMode);
        ShowAverageCount();
        fill(ui.cboScale);
        fill(ui.cboIndex);
        fill(ui.cboDiffScale);
        fill(ui.cboDiffIndex);
        ShowStandardValues();
        ShowToleranceValues();
        break;
    case SetupItem::DisplayMode:
        break;
    case SetupItem::Illuminant:
    case SetupItem::Observer:
        if (operatorChange) {
            for (qint16 i = 1; i <= 3; ++i)
                EditedSetup.setScaleData(i, 0);
            EditedSetup.setIndexData(0);
        }
        ShowStandardValues();
        break;
    case SetupItem::ColorScale:
        if (operatorChange) {
            for (qint16 i = 1; i <= 3; ++i) {
                EditedSetup.setScaleData(i, 0);
                EditedSetup.setScaleTolerance(i, 0);
            }
            EditedSetup.setIndexTolerance(0);
        }
        fill(ui.cboDisplayMode);
        fill(ui.cboDiffScale);
        ShowStandardValues();
        ShowToleranceValues();
        break;
    case SetupItem::ColorIndex:
        if (operatorChange) {
            EditedSetup.setIndexData(0);
            EditedSetup.setIndexTolerance(0);
        }
        fill(ui.cboDiffIndex);
        ShowStandardValues();
        ShowToleranceValues();
        break;
    case SetupItem::ColorDiffScale:
        if (operatorChange) {
            for (qint16 i = 1; i <= 3; ++i)
                EditedSetup.setScaleTolerance(i, 0);
        }
        fill(ui.cboDiffIndex);
        ShowToleranceValues();
        break;
    default:
        if (operatorChange)
            EditedSetup.setIndexTolerance(0);
        ShowToleranceValues();
        break;
    }
}

// ---- Showing -----------------------------------------------------------------------------

void frmSetup::PopulateSetup()
{
    ui.txtSetup->setText(QString::number(EditedSetup.SetupNumber));
    ui.txtName->setText(EditedSetup.ProductName);
    for (QComboBox *list : {ui.cboStandardType, ui.cboDisplayMode})
        fillList(listOf(list));
    ShowAverageCount();
    for (QComboBox *list : {ui.cboIlluminant, ui.cboObserver})
        fillList(listOf(list));
    ui.txtCMCFactor->setText(formatted(EditedSetup.CommercialFactor, 1));
    ui.txtCMCRatio->setText(formatted(EditedSetup.l2cRatio, 1));
    for (QComboBox *list : {ui.cboScale, ui.cboIndex, ui.cboDiffScale, ui.cboDiffIndex})
        fillList(listOf(list));
    ShowStandardValues();
    ShowToleranceValues();
}

void frmSetup::ShowAverageCount()
{
    ui.txtCount->setText(QString::number(EditedSetup.AverageCount));
}

void frmSetup::ShowStandardValues()
{
    const qint32 scale = EditedSetup.ColorScale;
    for (qint16 i = 1; i <= 3; ++i) {
        lblScale[i]->setText(ScaleLabel(scale, i));
        txtScale[i]->setText(scale != 0 ? formatted(EditedSetup.ScaleData(i),
                                                    scale == Codes::ScaleCieLCh && i >= 2 ? 4 : 2)
                                        : QStringLiteral("0"));
        txtScale[i]->setVisible(scale != 0);
    }
    const qint32 index = EditedSetup.ColorIndex;
    ui.lblIndex->setText(IndexLabel(index));
    ui.txtIndex->setText(index != 0 ? formatted(EditedSetup.IndexData(), 2) : QStringLiteral("0"));
    ui.txtIndex->setVisible(index != 0);
}

void frmSetup::ShowToleranceValues()
{
    const qint32 scale = EditedSetup.ColorDiffScale();
    for (qint16 i = 1; i <= 3; ++i) {
        lblDiffScale[i]->setText(DiffScaleLabel(scale, i));
        txtDiffScale[i]->setText(scale != 0
                                     ? formatted(EditedSetup.ScaleTolerance(i),
                                                 scale == Codes::ScaleCieLCh && i >= 2 ? 2 : 1)
                                     : QStringLiteral("0"));
        txtDiffScale[i]->setVisible(scale != 0);
    }
    const qint32 index = EditedSetup.ColorDiffIndex();
    ui.lblDiffIndex->setText(DiffIndexLabel(index));
    ui.txtDiffIndex->setText(index != 0 ? formatted(EditedSetup.IndexTolerance(), 1)
                                        : QStringLiteral("0"));
    ui.txtDiffIndex->setVisible(index != 0);
}

// ---- Fields ------------------------------------------------------------------------------

bool frmSetup::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    // A field taking the focus selects its whole text, so that typing replaces it; a click
    // places the caret where it falls.
    if (auto *field = qobject_cast<QLineEdit *>(watched);
        field && type == QEvent::FocusIn &&
        static_cast<QFocusEvent *>(event)->reason() != Qt::MouseFocusReason) {
        QMetaObject::invokeMethod(
            field, [field] { field->setSelection(0, static_cast<int>(field->text().size())); },
            Qt::QueuedConnection);
    }
    if (type == QEvent::FocusIn || type == QEvent::FocusOut) {
        // A popup, a menu or another window taking the focus for a moment is no leaving.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
            return QvDialog::eventFilter(watched, event);
    }
    if (auto *list = qobject_cast<QComboBox *>(watched)) {
        if (listOf(list).tracked && type == QEvent::FocusIn) {
            FocusListIndex = static_cast<qint16>(list->currentIndex());
            ListHasFocus = true;
        } else if (listOf(list).tracked && type == QEvent::FocusOut) {
            // The list's own drop-down taking the focus is the operator still at the list.
            const QWidget *now = QApplication::focusWidget();
            if (!now || now->window() != list->view()->window())
                ListHasFocus = false;
        }
        return QvDialog::eventFilter(watched, event);
    }
    auto *field = qobject_cast<QLineEdit *>(watched);
    if (!field)
        return QvDialog::eventFilter(watched, event);
    const bool standardValue = field == ui.txtIndex || field == txtScale[1] ||
                               field == txtScale[2] || field == txtScale[3];
    const bool valueField = standardValue || field == ui.txtDiffIndex || field == txtDiffScale[1] ||
                            field == txtDiffScale[2] || field == txtDiffScale[3];
    if (type == QEvent::FocusIn) {
        if (standardValue)
            FocusText = field->text();
    } else if (type == QEvent::FocusOut) {
        if (valueField)
            valueField_LostFocus(field);
        else if (field == ui.txtCount && CheckSetupItems())
            EditedSetup.AverageCount = *wholeNumber(field->text());
        else if (field == ui.txtCMCFactor && CheckSetupItems())
            EditedSetup.CommercialFactor = static_cast<float>(*numericValue(field->text()));
        else if (field == ui.txtCMCRatio && CheckSetupItems())
            EditedSetup.l2cRatio = static_cast<float>(*numericValue(field->text()));
    } else if (type == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent *>(event)->text();
        if (valueField && !text.isEmpty()) {
            const qint16 key = static_cast<qint16>(text.at(0).unicode());
            if (CheckNumericKey(key) == 0)
                return true; // suppressed
        }
        if (field == ui.txtName && !text.isEmpty() && text != text.toUpper()) {
            field->insert(text.toUpper());
            return true;
        }
    }
    return QvDialog::eventFilter(watched, event);
}

void frmSetup::valueField_LostFocus(QLineEdit *field)
{
    const bool standardValue = field == ui.txtIndex || field == txtScale[1] ||
                               field == txtScale[2] || field == txtScale[3];
    const std::optional<double> value = numericValue(field->text());
    if (!value) {
        m_entryRefused = true;
        BadNumberError();
        if (standardValue)
            ShowStandardValues();
        else
            ShowToleranceValues();
        focusLater(field);
        return;
    }
    if (standardValue && field->text() != FocusText)
        EditedSetup.Spectral = false;
    const auto real = static_cast<float>(*value);
    for (qint16 i = 1; i <= 3; ++i) {
        if (field == txtScale[i])
            EditedSetup.setScaleData(i, real);
        if (field == txtDiffScale[i])
            EditedSetup.setScaleTolerance(i, real);
    }
    if (field == ui.txtIndex)
        EditedSetup.setIndexData(real);
    if (field == ui.txtDiffIndex)
        EditedSetup.setIndexTolerance(real);
}

void frmSetup::BadNumberError()
{
    m_main.prompter().MsgBox(QCoreApplication::translate("Quvane", "What Is That?!"),
                             MsgButtons::OK, MsgIcon::Question, mainTitle());
}

bool frmSetup::CheckSetupItems()
{
    struct Check
    {
        QLineEdit *field;
        bool (*valid)(const QString &);
        const char *message;
    };
    const Check checks[] = {
        {ui.txtCount,
         [](const QString &text) {
             const std::optional<qint16> n = wholeNumber(text);
             return n && *n >= 1 && *n <= 25;
         },
         QT_TRANSLATE_NOOP("Quvane", "Average Count:\n\nValid Range Is 1 To 25")},
        {ui.txtCMCFactor,
         [](const QString &text) {
             const std::optional<double> v = numericValue(text);
             return v && static_cast<float>(*v) >= 0.0f && static_cast<float>(*v) < 10.0f;
         },
         QT_TRANSLATE_NOOP("Quvane", "Commercial Factor:\n\nValid Range Is 0 To 9.9")},
        {ui.txtCMCRatio,
         [](const QString &text) {
             const std::optional<double> v = numericValue(text);
             return v && static_cast<float>(*v) >= 0.0f && static_cast<float>(*v) < 10.0f;
         },
         QT_TRANSLATE_NOOP("Quvane", "CMC l:c Ratio:\n\nValid Range Is 0 To 9.9")},
    };
    for (const Check &check : checks) {
        if (check.valid(check.field->text()))
            continue;
        m_entryRefused = true;
        m_main.prompter().MsgBox(QCoreApplication::translate("Quvane", check.message),
                                 MsgButtons::OK, MsgIcon::Critical, mainTitle());
        ui.sstItems->setCurrentIndex(0);
        focusLater(check.field);
        return false;
    }
    if (EditedSetup.StandardType == Codes::StandardNumeric ||
        EditedSetup.StandardType == Codes::StandardHitch)
        EditedSetup.Spectral = false;
    return true;
}

bool frmSetup::SetupNumberValid()
{
    const std::optional<qint16> n = wholeNumber(ui.txtSetup->text());
    if (n && *n >= 1 && *n <= 100)
        return true;
    m_main.prompter().MsgBox(QCoreApplication::translate("Quvane", "Invalid Product Set-up Number"),
                             MsgButtons::OK, MsgIcon::Critical, mainTitle());
    focusLater(ui.txtSetup);
    return false;
}

void frmSetup::spnSetup_Change(int step)
{
    const std::optional<qint16> n = wholeNumber(ui.txtSetup->text());
    if (n && (step < 0 ? *n > 1 : *n < 99))
        ui.txtSetup->setText(QString::number(*n + step));
}

// ---- Reading, sending, committing -------------------------------------------------------

void frmSetup::focusLater(QWidget *widget)
{
    // Not at once: inside a field's focus-lost handling Qt is still moving the focus on, and
    // a focus set now would be left again at once, running the check a second time.
    QMetaObject::invokeMethod(widget, qOverload<>(&QWidget::setFocus), Qt::QueuedConnection);
}

bool frmSetup::focusButton(QPushButton *button)
{
    m_entryRefused = false;
    button->setFocus();
    QCoreApplication::processEvents();
    // The field that was left refused its entry and has said so: the press ends here, with the
    // focus back in that field, rather than show the same message again.
    return !std::exchange(m_entryRefused, false);
}

void frmSetup::UpdateSetupMembers()
{
    auto whole = [](QLineEdit *field, qint16 current) {
        return wholeNumber(field->text()).value_or(current);
    };
    auto real = [](QLineEdit *field, float current) {
        const std::optional<double> value = numericValue(field->text());
        return value ? static_cast<float>(*value) : current;
    };
    EditedSetup.SetupNumber = whole(ui.txtSetup, EditedSetup.SetupNumber);
    EditedSetup.ProductName = ui.txtName->text();
    EditedSetup.AverageCount = whole(ui.txtCount, EditedSetup.AverageCount);
    EditedSetup.CommercialFactor = real(ui.txtCMCFactor, EditedSetup.CommercialFactor);
    EditedSetup.l2cRatio = real(ui.txtCMCRatio, EditedSetup.l2cRatio);
    for (qint16 i = 1; i <= 3; ++i) {
        EditedSetup.setScaleData(i, real(txtScale[i], EditedSetup.ScaleData(i)));
        EditedSetup.setScaleTolerance(i, real(txtDiffScale[i], EditedSetup.ScaleTolerance(i)));
    }
    EditedSetup.setIndexData(real(ui.txtIndex, EditedSetup.IndexData()));
    EditedSetup.setIndexTolerance(real(ui.txtDiffIndex, EditedSetup.IndexTolerance()));
    // A list without a selection offers no code: its member keeps the one it has.
    for (const ListInfo &info : m_lists) {
        if (info.list->currentIndex() < 0)
            continue;
        const qint32 code = info.list->currentData().toInt();
        if (info.item == SetupItem::ColorDiffScale) // stored as is: the difference index comes next
                                                    // from its list
            EditedSetup.setColorDiffScale(code);
        else
            setMember(info.item, code);
    }
}

void frmSetup::ReplaceSetup()
{
    busyTrapped(m_main.prompter(), [this] { EditedSetup.Replace(EditedSetup.SetupNumber); });
    m_main.WriteProductSetup();
}

void frmSetup::cmdGet_Click()
{
    if (!focusButton(ui.cmdGet) || !SetupNumberValid())
        return;
    const qint16 n = *wholeNumber(ui.txtSetup->text());
    busyTrapped(m_main.prompter(), [this, n] { EditedSetup.Read(n); });
    PopulateSetup();
}

void frmSetup::cmdSend_Click()
{
    if (focusButton(ui.cmdSend) && SetupNumberValid() && CheckSetupItems()) {
        UpdateSetupMembers();
        ReplaceSetup();
    }
}

void frmSetup::cmdDone_Click()
{
    // An entry that is refused keeps the editor open, with the focus in the field the message
    // names, so that no edit is lost.
    if (!focusButton(ui.cmdDone) || !SetupNumberValid() || !CheckSetupItems())
        return;
    UpdateSetupMembers();
    ReplaceSetup();
    accept();
}
