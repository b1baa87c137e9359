# The release package of a Windows build: Varnekite-<version>-win64.zip or -win32.zip holding
# Varnekite.exe, varnekite-check.exe, the example configuration and its schema, README and LICENSE in one
# folder. `cmake --install` puts the same files in a folder; `cpack` (run in the build folder,
# see scripts/release.sh) makes the zip.
install(TARGETS Varnekite varnekite-check RUNTIME DESTINATION .)
install(FILES
  ${PROJECT_SOURCE_DIR}/examples/Varnekite.xml
  ${PROJECT_SOURCE_DIR}/schema/Varnekite.xsd
  ${PROJECT_SOURCE_DIR}/README.md
  ${PROJECT_SOURCE_DIR}/LICENSE
  DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/docs/varnekite-window.png DESTINATION docs) # shown in the README

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Varnekite)
set(CPACK_PACKAGE_VENDOR "The Varnekite developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Runs unattended post-install work from Varnekite.xml")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_SYSTEM_NAME win32)
endif()
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
