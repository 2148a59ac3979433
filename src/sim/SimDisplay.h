#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quvane {

// The simulated instrument's 128 × 128 one-bit display: a frame and lines of text in a small
// built-in 5 × 7 font (no display server or font files). Rows top first, 16 bytes a row,
// leftmost pixel in the most significant bit, 1 white.
class SimDisplay
{
public:
    static constexpr int Side = 128;
    static constexpr int RowBytes = Side / 8;

    SimDisplay();
    // Draws text with its top-left corner at x, y; scale 1 or more. Letters are shown upper
    // case; a character the font lacks is drawn as a box.
    void text(int x, int y, const QString &text, int scale = 1);
    void frame();
    const QByteArray &rows() const { return m_rows; }
    // Rows first to first + count, as the "S" command answers one band.
    QByteArray band(int index) const;

private:
    void pixel(int x, int y, bool white);

    QByteArray m_rows;
};

} // namespace quvane
