# Copies the shipped data files into the assembled program folder and creates
# the empty show folders, so that the build tree runs like an installation.
file(MAKE_DIRECTORY "${TINCTARA_PROGRAM_DIR}")
if(EXISTS "${CMAKE_SOURCE_DIR}/data")
  file(GLOB_RECURSE _tinctara_data RELATIVE "${CMAKE_SOURCE_DIR}/data"
       CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/data/*")
  foreach(_file IN LISTS _tinctara_data)
    configure_file("${CMAKE_SOURCE_DIR}/data/${_file}" "${TINCTARA_PROGRAM_DIR}/${_file}" COPYONLY)
  endforeach()
endif()
foreach(_folder config scenen sequencen sequence Farbtbl)
  file(MAKE_DIRECTORY "${TINCTARA_PROGRAM_DIR}/${_folder}")
endforeach()
