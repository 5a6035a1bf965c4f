# Pictures for the effects are decoded by Debian's libraries: libpng (PNG),
# stb_image (JPEG, BMP) and giflib (animated GIF). See docs/architecture.md.
# Used by the core and by the fuzzers' own build of it.
find_package(PkgConfig REQUIRED)
pkg_check_modules(STB REQUIRED IMPORTED_TARGET stb)
find_package(GIF REQUIRED)
find_package(PNG REQUIRED)
set(TINCTARA_PICTURE_LIBRARIES PkgConfig::STB GIF::GIF PNG::PNG)
