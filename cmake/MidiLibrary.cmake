# MIDI comes through the ALSA sequencer (Debian's libasound2); see
# docs/architecture.md. Used by the core and by the fuzzers' own build of it.
find_package(PkgConfig REQUIRED)
pkg_check_modules(ALSA REQUIRED IMPORTED_TARGET alsa)
set(TINCTARA_MIDI_LIBRARIES PkgConfig::ALSA)
