# Copies the shipped data files into the assembled program folder and creates
# the empty show folders, so that the build tree runs like an installation.
file(MAKE_DIRECTORY "${TINCTARA_PROGRAM_DIR}")
file(GLOB_RECURSE _tinctara_data RELATIVE "${CMAKE_SOURCE_DIR}/data"
     CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/data/*")
list(FILTER _tinctara_data EXCLUDE REGEX "\\.in$")
foreach(_file IN LISTS _tinctara_data)
  configure_file("${CMAKE_SOURCE_DIR}/data/${_file}" "${TINCTARA_PROGRAM_DIR}/${_file}" COPYONLY)
endforeach()
foreach(_folder config scenen sequencen sequence Farbtbl)
  file(MAKE_DIRECTORY "${TINCTARA_PROGRAM_DIR}/${_folder}")
endforeach()

# A first start reloads the sample show with the wall window open. The file
# names the folder the show lies in, so it is written for that folder; a
# settings file the user already has is never replaced.
if(NOT EXISTS "${TINCTARA_PROGRAM_DIR}/TINCTARA.ini")
  set(TINCTARA_SHOW_FOLDER "${TINCTARA_PROGRAM_DIR}")
  configure_file("${CMAKE_SOURCE_DIR}/data/TINCTARA.ini.in" "${TINCTARA_PROGRAM_DIR}/TINCTARA.ini" @ONLY
                 NEWLINE_STYLE CRLF)
endif()
