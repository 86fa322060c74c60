# Read by CPack for each generator: the installer is named as the update offer
# names its download.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-Setup-${CPACK_PACKAGE_VERSION}")
endif()
