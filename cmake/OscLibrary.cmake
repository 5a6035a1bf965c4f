# OSC messages are decoded by Debian's liblo; the core walks bundles itself.
# See docs/architecture.md. Used by the core and by the fuzzers' own build of it.
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBLO REQUIRED IMPORTED_TARGET liblo)
set(TINCTARA_OSC_LIBRARIES PkgConfig::LIBLO)
