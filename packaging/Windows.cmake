# The zip for Windows users (target stela_windows_zip, made by scripts/build-windows):
#   stela-<version>-windows-x86_64/stela-cli.exe
#                                 /locale/<lang>/LC_MESSAGES/*.mo   found beside the .exe
#                                 /README.md                        docs/windows.md
#                                 /stela-cli.txt                    the man page as text
find_program(GROFF groff REQUIRED)

set(zip_name stela-${PROJECT_VERSION}-windows-x86_64)
set(staged ${CMAKE_CURRENT_BINARY_DIR}/${zip_name})
set(STELA_LOCALE_DIR "the folder locale beside stela-cli.exe")
configure_file(${CMAKE_CURRENT_LIST_DIR}/stela-cli.1.in ${CMAKE_CURRENT_BINARY_DIR}/stela-cli.1 @ONLY)

add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${zip_name}.zip
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${staged}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${staged}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:stela-cli> ${staged}/
    COMMAND ${CMAKE_STRIP} ${staged}/stela-cli.exe
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/locale
            ${staged}/locale
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/docs/windows.md ${staged}/README.md
    # Plain text with Windows line ends, for Notepad: no bold or underline escapes.
    COMMAND ${GROFF} -man -Tutf8 -P-cbou ${CMAKE_CURRENT_BINARY_DIR}/stela-cli.1
            > ${CMAKE_CURRENT_BINARY_DIR}/stela-cli.txt
    COMMAND sed -e "s/$/\\r/" ${CMAKE_CURRENT_BINARY_DIR}/stela-cli.txt > ${staged}/stela-cli.txt
    COMMAND ${CMAKE_COMMAND} -E tar cf ${CMAKE_BINARY_DIR}/${zip_name}.zip --format=zip ${zip_name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DEPENDS stela-cli stela_catalogues ${PROJECT_SOURCE_DIR}/docs/windows.md
            ${CMAKE_CURRENT_BINARY_DIR}/stela-cli.1
    COMMENT "Packing ${zip_name}.zip"
    VERBATIM)
add_custom_target(stela_windows_zip DEPENDS ${CMAKE_BINARY_DIR}/${zip_name}.zip)
