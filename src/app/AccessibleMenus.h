#pragma once

namespace tinctara {

// With TINCTARA_AUTOMATION=1, menus and menu bars report their entries with
// the entry's control name (mnuNeueWand) as accessible description, which
// Qt's own menu accessibility leaves empty. Call once after QApplication exists.
void installAutomationMenuAccessibility();

}  // namespace tinctara
