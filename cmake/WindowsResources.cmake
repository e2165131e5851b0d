# SPDX-License-Identifier: GPL-3.0-or-later
# tallywick_add_windows_resources(<target> <description>): on Windows, the
# program gets the project's icon, version information from the project's
# version, and a manifest (long paths, per-monitor DPI, UTF-8 code page).
function(tallywick_add_windows_resources target description)
    if(NOT WIN32)
        return()
    endif()
    set(PROGRAM_NAME ${target})
    set(PROGRAM_FILE ${target}.exe)
    set(PROGRAM_DESCRIPTION ${description})
    set(PROGRAM_ICON ${PROJECT_SOURCE_DIR}/packaging/windows/tallywick.ico)
    set(PROGRAM_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.manifest.in
                   ${PROGRAM_MANIFEST} @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in
                   ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
    set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}.rc PROPERTIES
        OBJECT_DEPENDS "${PROGRAM_ICON};${PROGRAM_MANIFEST}")
endfunction()
