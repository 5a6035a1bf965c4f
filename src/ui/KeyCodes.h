#pragma once

class QKeyEvent;

namespace tinctara {

// The key code a key event had in the program's original keyboard numbering
// (digits 48-57, letters 65-90, F1 112, keypad digits 96-105, Enter 13, ...);
// -1 for keys that have none.
int programKeyCode(const QKeyEvent* event);

}  // namespace tinctara
