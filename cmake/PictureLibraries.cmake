# Pictures for the effects are decoded by Debian's libraries: libpng (PNG),
# libjpeg-turbo (JPEG), giflib (animated GIF) and stb_image's BMP decoder,
# which the core builds itself from the header with no other decoder of stb in
# it (so libstb.so, with stb's JPEG decoder, is never linked). See
# docs/architecture.md. Used by the core and by the fuzzers' own build of it.
find_package(PkgConfig REQUIRED)
pkg_check_modules(STB REQUIRED stb)
if(NOT TARGET tinctara_stb_headers)
  # Imported, so that its headers count as the system's and their own
  # warnings stay out of the build's.
  add_library(tinctara_stb_headers INTERFACE IMPORTED)
  set_target_properties(tinctara_stb_headers PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${STB_INCLUDE_DIRS}")
endif()
find_package(GIF REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
set(TINCTARA_PICTURE_LIBRARIES tinctara_stb_headers GIF::GIF PNG::PNG JPEG::JPEG)
