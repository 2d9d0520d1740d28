#pragma once

#include <QFont>

// The program's fonts on desktops without the Windows fonts its layouts name. 宋体
// (SimSun) is drawn with Noto Serif CJK SC unless the desktop has SimSun itself, and
// text whose layout names no font with Noto Sans CJK SC. The mapping lives in Qt's
// substitution table, so every font that names 宋体 (windows and printed reports
// alike) gets the same face instead of whatever fontconfig would guess.
namespace ChineseFonts {

// Fills the substitution table and sets the application's font. Call once, before
// any window is created.
void install();

// 宋体 at the given pixel size.
QFont songTi(int pixels);

} // namespace ChineseFonts
