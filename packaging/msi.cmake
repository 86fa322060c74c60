# CPack's External generator runs this with the staged files: the per-machine
# MSI (vel-tarrow.wxs, built with wixl) and the policy templates beside it.
set(stage "${CPACK_TEMPORARY_DIRECTORY}")
set(msi "${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.msi")
# wixl finds the files named in the source from its working folder.
file(COPY "${CPACK_VT_ICON}" "${CPACK_VT_MSI_ACTIONS}" DESTINATION "${stage}")
get_filename_component(icon "${CPACK_VT_ICON}" NAME)
get_filename_component(dll "${CPACK_VT_MSI_ACTIONS}" NAME)
execute_process(
  COMMAND "${CPACK_VT_WIXL}" -a x64 -D Version=${CPACK_PACKAGE_VERSION} -D Stage=.
          -D Icon=${icon} -D Actions=${dll} -o "${msi}" "${CPACK_VT_WXS}"
  WORKING_DIRECTORY "${stage}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "wixl could not build ${msi}")
endif()

# As the Group Policy editor's PolicyDefinitions folder holds them.
set(templates "${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-PolicyDefinitions.zip")
file(REMOVE_RECURSE "${stage}/PolicyDefinitions")
file(COPY "${CPACK_VT_POLICY}/" DESTINATION "${stage}/PolicyDefinitions")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${templates}" --format=zip PolicyDefinitions
                WORKING_DIRECTORY "${stage}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not pack ${templates}")
endif()
