# Sound files are read by Debian's libsndfile, beats, onsets and tempo found by
# libaubio; see docs/architecture.md. Used by the core and by the fuzzers' own
# build of it.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
pkg_check_modules(AUBIO REQUIRED IMPORTED_TARGET aubio)
set(TINCTARA_AUDIO_LIBRARIES PkgConfig::SNDFILE PkgConfig::AUBIO)
