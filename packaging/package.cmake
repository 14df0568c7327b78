# `cpack` in a Windows build directory makes one zip per architecture:
# Vellimor-<version>-x64.zip or Vellimor-<version>-x86.zip, holding Vellimor.exe and 读我.txt,
# the end users' readme (UTF-8 with a byte order mark and CRLF line ends, which Notepad reads
# right on every Windows version and whatever the system's code page).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(VELLIMOR_ARCHITECTURE x64)
    set(VELLIMOR_ARCHITECTURE_TEXT "64 位")
else()
    set(VELLIMOR_ARCHITECTURE x86)
    set(VELLIMOR_ARCHITECTURE_TEXT "32 位")
endif()

configure_file(${CMAKE_CURRENT_LIST_DIR}/读我.txt ${PROJECT_BINARY_DIR}/packaging/读我.txt
               @ONLY NEWLINE_STYLE CRLF)

install(TARGETS Vellimor RUNTIME DESTINATION .)
install(FILES ${PROJECT_BINARY_DIR}/packaging/读我.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Vellimor)
set(CPACK_PACKAGE_VENDOR Vellimor)
set(CPACK_PACKAGE_FILE_NAME Vellimor-${PROJECT_VERSION}-${VELLIMOR_ARCHITECTURE})
# The files sit at the top of the zip, not in a folder of their own.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
