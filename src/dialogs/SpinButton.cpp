#include "dialogs/SpinButton.h"

#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace quvane {

SpinButton::SpinButton(QWidget *parent)
    : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton *button : {m_up, m_down}) {
        button->setArrowType(button == m_up ? Qt::UpArrow : Qt::DownArrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(18, 12);
        layout->addWidget(button);
    }
    connect(m_up, &QToolButton::clicked, this, &SpinButton::up);
    connect(m_down, &QToolButton::clicked, this, &SpinButton::down);
}

void SpinButton::setField(QWidget *field)
{
    if (m_field)
        m_field->removeEventFilter(this);
    m_field = field;
    if (m_field)
        m_field->installEventFilter(this);
}

bool SpinButton::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            emit key->key() == Qt::Key_Up ? up() : down();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace quvane
