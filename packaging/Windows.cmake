# What a Windows user gets (made by scripts/build-windows): the zip (target
# stela_windows_zip) and, with the window, the MSI (target stela_windows_msi),
# both from one staged folder:
#   stela-<version>-windows-x86_64/stela.exe                the window (with Qt)
#                                 /stela-cli.exe
#                                 /Qt6*.dll, platforms/, styles/   Qt, beside the window
#                                 /locale/<lang>/LC_MESSAGES/*.mo   found beside the .exe
#                                 /README.md                        docs/windows.md
#                                 /stela-cli.txt                    the manual for Windows
#                                 /licenses/Qt/                     Qt's licences and source
# Both programs carry the pylon icon and version information (windres).
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(ICOTOOL icotool REQUIRED)

set(zip_name stela-${PROJECT_VERSION}-windows-x86_64)
set(staged ${CMAKE_CURRENT_BINARY_DIR}/${zip_name})
# In Russian, then in English; for Notepad: UTF-8 with its byte-order mark, CR LF.
configure_file(${CMAKE_CURRENT_LIST_DIR}/windows/stela-cli.txt.in
    ${CMAKE_CURRENT_BINARY_DIR}/stela-cli.txt @ONLY NEWLINE_STYLE CRLF)

# The icon, drawn from the SVG at the sizes Explorer asks for (256 kept as PNG).
set(STELA_ICON ${CMAKE_CURRENT_BINARY_DIR}/stela.ico)
set(icon_pngs)
foreach(size 16 24 32 48 64 256)
    set(png ${CMAKE_CURRENT_BINARY_DIR}/icon/${size}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icon
        COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png}
                ${CMAKE_CURRENT_LIST_DIR}/stela.svg
        DEPENDS ${CMAKE_CURRENT_LIST_DIR}/stela.svg VERBATIM)
    list(APPEND icon_pngs ${png})
endforeach()
list(POP_BACK icon_pngs large_png)
add_custom_command(OUTPUT ${STELA_ICON}
    COMMAND ${ICOTOOL} -c -o ${STELA_ICON} ${icon_pngs} -r ${large_png}
    DEPENDS ${icon_pngs} ${large_png} VERBATIM)
add_custom_target(stela_icon DEPENDS ${STELA_ICON})

# stela_windows_resources(TARGET DESCRIPTION): the icon and version information.
function(stela_windows_resources target description)
    set(STELA_PROGRAM ${target})
    set(STELA_DESCRIPTION ${description})
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/windows/program.rc.in ${rc} @ONLY)
    set_source_files_properties(${rc} TARGET_DIRECTORY ${target}
        PROPERTIES OBJECT_DEPENDS ${STELA_ICON})
    target_sources(${target} PRIVATE ${rc})
    add_dependencies(${target} stela_icon)
endfunction()
stela_windows_resources(stela-cli "stela-cli: табло цен АЗС из командной строки")

set(stage_commands
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:stela-cli> ${staged}/
    COMMAND ${CMAKE_STRIP} ${staged}/stela-cli.exe)
set(stage_depends stela-cli)
if(TARGET stela)
    stela_windows_resources(stela "ОРВЕНА - управление стелой с прошивкой D731")
    list(APPEND stage_commands
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:stela> ${staged}/
        COMMAND ${CMAKE_STRIP} ${staged}/stela.exe
        COMMAND ${CMAKE_COMMAND} -E copy_directory ${QT6_INSTALL_PREFIX}/licenses
                ${staged}/licenses/Qt)
    foreach(pair IN LISTS STELA_QT_RUNTIME_FILES)
        string(REPLACE "|" ";" parts "${pair}")
        list(GET parts 0 file)
        list(GET parts 1 folder)
        list(APPEND stage_commands
            COMMAND ${CMAKE_COMMAND} -E make_directory ${staged}/${folder}
            COMMAND ${CMAKE_COMMAND} -E copy ${file} ${staged}/${folder}/)
    endforeach()
    list(APPEND stage_depends stela)
endif()

add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${zip_name}.zip
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${staged}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${staged}
    ${stage_commands}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/locale
            ${staged}/locale
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/docs/windows.md ${staged}/README.md
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_BINARY_DIR}/stela-cli.txt ${staged}/
    COMMAND ${CMAKE_COMMAND} -E tar cf ${CMAKE_BINARY_DIR}/${zip_name}.zip --format=zip ${zip_name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DEPENDS ${stage_depends} stela_catalogues ${PROJECT_SOURCE_DIR}/docs/windows.md
            ${CMAKE_CURRENT_BINARY_DIR}/stela-cli.txt
    COMMENT "Packing ${zip_name}.zip"
    VERBATIM)
add_custom_target(stela_windows_zip DEPENDS ${CMAKE_BINARY_DIR}/${zip_name}.zip)

# The MSI installs the same folder; only with the window.
if(TARGET stela)
    set(STELA_MSI ${CMAKE_BINARY_DIR}/stela-${PROJECT_VERSION}-windows-x86_64.msi)
    add_custom_command(OUTPUT ${STELA_MSI}
        COMMAND ${CMAKE_CURRENT_LIST_DIR}/windows/make-msi ${staged} ${PROJECT_VERSION}
                ${STELA_ICON} ${STELA_MSI}
        DEPENDS ${CMAKE_BINARY_DIR}/${zip_name}.zip stela_icon
                ${CMAKE_CURRENT_LIST_DIR}/windows/make-msi ${CMAKE_CURRENT_LIST_DIR}/windows/stela.wxs
        COMMENT "Building ${zip_name}.msi"
        VERBATIM)
    add_custom_target(stela_windows_msi DEPENDS ${STELA_MSI})
endif()
