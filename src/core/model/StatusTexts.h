#pragma once

namespace tinctara::StatusText {

// Texts of the main window's title bar that follow OsName.
inline constexpr const char* DmxStarted = ": QOR DMX TINCTARA  ....running. DMX started. Interface = ";
inline constexpr const char* DmxStopped = ": QOR DMX TINCTARA  ....stopped: DMX STOP";
inline constexpr const char* PlayingPrefix = ": QOR DMX TINCTARA  ....running.  Interfacetype= ";
inline constexpr const char* SceneChange = ": QOR DMX TINCTARA  ....stopped: Scene change";

// Labels of the sequencer written by the output engine.
inline constexpr const char* HoldLabel = "Hold  ";
inline constexpr const char* BlendLabel = "Blend ";

// The DMX test window out of test mode.
inline constexpr const char* TestModeOffStatus = "Testmodus aus. DMX-Werte entsprechen den Ausgabewerten.";
inline constexpr const char* TestModeStartCaption = "Testmode starten";

}  // namespace tinctara::StatusText
