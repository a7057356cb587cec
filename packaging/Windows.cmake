# The zip for Windows users (target stela_windows_zip, made by scripts/build-windows):
#   stela-<version>-windows-x86_64/stela-cli.exe
#                                 /locale/<lang>/LC_MESSAGES/*.mo   found beside the .exe
#                                 /README.md                        docs/windows.md
#                                 /stela-cli.txt                    the manual for Windows
set(zip_name stela-${PROJECT_VERSION}-windows-x86_64)
set(staged ${CMAKE_CURRENT_BINARY_DIR}/${zip_name})
# In Russian, then in English; for Notepad: UTF-8 with its byte-order mark, CR LF.
configure_file(${CMAKE_CURRENT_LIST_DIR}/windows/stela-cli.txt.in
    ${CMAKE_CURRENT_BINARY_DIR}/stela-cli.txt @ONLY NEWLINE_STYLE CRLF)

add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${zip_name}.zip
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${staged}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${staged}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:stela-cli> ${staged}/
    COMMAND ${CMAKE_STRIP} ${staged}/stela-cli.exe
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/locale
            ${staged}/locale
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/docs/windows.md ${staged}/README.md
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_BINARY_DIR}/stela-cli.txt ${staged}/
    COMMAND ${CMAKE_COMMAND} -E tar cf ${CMAKE_BINARY_DIR}/${zip_name}.zip --format=zip ${zip_name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DEPENDS stela-cli stela_catalogues ${PROJECT_SOURCE_DIR}/docs/windows.md
            ${CMAKE_CURRENT_BINARY_DIR}/stela-cli.txt
    COMMENT "Packing ${zip_name}.zip"
    VERBATIM)
add_custom_target(stela_windows_zip DEPENDS ${CMAKE_BINARY_DIR}/${zip_name}.zip)
