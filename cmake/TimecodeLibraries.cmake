# LTC is decoded and encoded by Debian's libltc; see docs/architecture.md.
# Used by the core and by the fuzzers' own build of it.
find_package(PkgConfig REQUIRED)
pkg_check_modules(LTC REQUIRED IMPORTED_TARGET ltc)
set(TINCTARA_TIMECODE_LIBRARIES PkgConfig::LTC)
