# Reads the program's version from src/version.h, the one place it is set, so
# the project, the packages and the installer carry the same number.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../src/version.h _vt_lines
     REGEX "^#define VT_(VERSION_(MAJOR|MINOR|REVISION)|COMPANY_NAME|PRODUCT_NAME) ")
foreach(_vt_line ${_vt_lines})
  if(_vt_line MATCHES "^#define (VT_[A-Z_]+) \"?([^\"]*)\"?$")
    set(${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
  endif()
endforeach()
foreach(_vt_var VT_VERSION_MAJOR VT_VERSION_MINOR VT_VERSION_REVISION VT_COMPANY_NAME VT_PRODUCT_NAME)
  if("${${_vt_var}}" STREQUAL "")
    message(FATAL_ERROR "src/version.h does not define ${_vt_var}")
  endif()
endforeach()
set(VT_VERSION "${VT_VERSION_MAJOR}.${VT_VERSION_MINOR}.${VT_VERSION_REVISION}")
