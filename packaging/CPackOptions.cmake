# Read by CPack for each generator: the installer is named as the update offer
# names its download; the MSI (the External generator) after its architecture.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-Setup-${CPACK_PACKAGE_VERSION}")
elseif(CPACK_GENERATOR STREQUAL "External")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-x64")
endif()
