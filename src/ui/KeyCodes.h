#pragma once

class QKeyEvent;

namespace tinctara {

// The key code a key event had in the program's original keyboard numbering
// (digits 48-57, letters 65-90, F1 112, keypad digits 96-105, Enter 13, ...);
// -1 for keys that have none.
int programKeyCode(const QKeyEvent* event);

// Whether a key release reaches a field's key-up check: Tab and Backtab only
// move the focus, and the Ctrl key and keys released while it is held belong
// to shortcuts (Ctrl+A must not turn the typed value into a refused one).
bool reachesKeyUpCheck(const QKeyEvent* event);

}  // namespace tinctara
