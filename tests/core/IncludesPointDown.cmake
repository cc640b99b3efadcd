# The files and formats (src/state) and the scoring (src/scoring) sit below
# the console and the interpreters: they include nothing from either, so
# that they can be read, tested and reused without the router's commands.
# Run as: cmake -DSOURCE_DIR=<src> -P IncludesPointDown.cmake
file(GLOB_RECURSE _files "${SOURCE_DIR}/state/*" "${SOURCE_DIR}/scoring/*")
if(NOT _files)
  message(FATAL_ERROR "no files under ${SOURCE_DIR}/state or ${SOURCE_DIR}/scoring")
endif()
set(_upward "")
foreach(_file IN LISTS _files)
  file(STRINGS "${_file}" _lines REGEX "#[ \t]*include[ \t]*[\"<](console|interpreters)/")
  foreach(_line IN LISTS _lines)
    file(RELATIVE_PATH _name "${SOURCE_DIR}" "${_file}")
    string(APPEND _upward "\n  ${_name}: ${_line}")
  endforeach()
endforeach()
if(_upward)
  message(FATAL_ERROR "state/ and scoring/ include the console or the interpreters:${_upward}")
endif()
list(LENGTH _files _count)
message(STATUS "${_count} files of state/ and scoring/ include nothing from above")
