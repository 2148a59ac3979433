#pragma once

#include <QByteArray>

class SensorControl;

namespace quvane {

// The instrument's display as a 128 × 128 one-bit bitmap file (2110 bytes: the 62-byte header,
// then 128 rows of 16 bytes stored bottom-up, palette 0 black and 1 white).
namespace ScreenBitmap {

constexpr int Side = 128;
constexpr int RowBytes = Side / 8;
constexpr int HeaderSize = 62;
constexpr int BitsSize = Side * RowBytes; // 2048
constexpr int FileSize = HeaderSize + BitsSize;

QByteArray header();

// The display read with "S" and a band 0 to 3, each answering 32 rows top row first, leftmost
// pixel in the most significant bit, 1 white; returned in the file's bottom-up order. An
// instrument that refuses "S" leaves the bits at zero (a black square); other errors raise.
QByteArray readBits(SensorControl &sensor);

// The top-down rows of a display turned into the file's bottom-up pixel data, and back.
QByteArray bottomUp(const QByteArray &topDownRows);

} // namespace ScreenBitmap

} // namespace quvane
