# Assembles the loader script into a generated .cpp at build time. Included
# by src/CMakeLists.txt; run with -P it does the assembling itself.
if(CMAKE_SCRIPT_MODE_FILE)
  file(READ ${COUNT_JS} count)
  file(READ ${JSON2_JS} json2)
  file(READ ${TAIL_JS} tail)
  string(STRIP "${count}" count)
  string(STRIP "${tail}" tail)
  # The minified script ends with a source-map comment line; keep only code.
  string(REGEX REPLACE "\n//# sourceMappingURL=[^\n]*" "" json2 "${json2}")
  string(STRIP "${json2}" json2)
  foreach(piece count json2 tail)
    if("${${piece}}" MATCHES "[\r\n]")
      message(FATAL_ERROR "loader piece ${piece} is not one line")
    endif()
  endforeach()
  # The tail belongs inside the script's closing function wrapper.
  if(NOT json2 MATCHES "}\\(\\);$")
    message(FATAL_ERROR "${JSON2_JS} does not end with its function wrapper")
  endif()
  string(LENGTH "${json2}" length)
  math(EXPR body "${length} - 4")
  string(SUBSTRING "${json2}" 0 ${body} json2body)
  set(script "${count}${json2body}${tail}}();")
  if(script MATCHES "\\)loader_script\"")
    message(FATAL_ERROR "loader script holds the raw string delimiter")
  endif()
  file(WRITE ${OUTPUT}.tmp
    "// Generated from loader.cmake; do not edit.\n"
    "#include \"script/loader.h\"\n\n"
    "std::string_view LoaderScript() {\n"
    "  static constexpr char kScript[] = R\"loader_script(${script})loader_script\";\n"
    "  return std::string_view(kScript, sizeof kScript - 1);\n"
    "}\n")
  file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
  file(REMOVE ${OUTPUT}.tmp)
  return()
endif()

set(VANTREL_JSON2_MIN_JS "/usr/share/javascript/json/json2.min.js" CACHE FILEPATH
  "json2.min.js of the libjs-json package")
if(NOT EXISTS "${VANTREL_JSON2_MIN_JS}")
  message(FATAL_ERROR "json2.min.js not found at ${VANTREL_JSON2_MIN_JS}: install libjs-json")
endif()
set(loader_dir ${CMAKE_CURRENT_LIST_DIR})
set(loader_cpp ${CMAKE_CURRENT_BINARY_DIR}/script/loader_script.cpp)
add_custom_command(
  OUTPUT ${loader_cpp}
  COMMAND ${CMAKE_COMMAND} -DCOUNT_JS=${loader_dir}/loader_count.js
          -DJSON2_JS=${VANTREL_JSON2_MIN_JS} -DTAIL_JS=${loader_dir}/loader_tail.js
          -DOUTPUT=${loader_cpp} -P ${loader_dir}/loader.cmake
  DEPENDS ${loader_dir}/loader.cmake ${loader_dir}/loader_count.js ${loader_dir}/loader_tail.js
          ${VANTREL_JSON2_MIN_JS}
  COMMENT "Assembling the loader script"
  VERBATIM)
list(APPEND VANTREL_GENERATED_SOURCES ${loader_cpp})
