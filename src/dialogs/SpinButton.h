#pragma once

#include <QWidget>

class QToolButton;

namespace quvane {

// A spin button on its own, beside a text box: two arrows that say up or down and hold no
// value (the text box holds it).
class SpinButton : public QWidget
{
    Q_OBJECT

public:
    explicit SpinButton(QWidget *parent = nullptr);

    // The text box it steps: its Up and Down keys press the arrows.
    void setField(QWidget *field);

    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    void up();
    void down();

private:
    QToolButton *m_up;
    QToolButton *m_down;
    QWidget *m_field = nullptr;
};

} // namespace quvane
