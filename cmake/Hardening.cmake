# SPDX-License-Identifier: GPL-3.0-or-later
# TALLYWICK_HARDENING (the release preset sets it): the distribution's
# hardening flags for every program, as Debian's dpkg-buildflags gives them
# with all its hardening features on: fortified C library calls, the stack
# protector, relocations made read-only and bound at start. Where there is
# no dpkg-buildflags, the same flags written out. The build type keeps the
# say on optimisation and debug information.
option(TALLYWICK_HARDENING "Build with the distribution's hardening flags" OFF)

if(TALLYWICK_HARDENING AND NOT WIN32)
    find_program(TALLYWICK_DPKG_BUILDFLAGS dpkg-buildflags)
    if(TALLYWICK_DPKG_BUILDFLAGS)
        foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
            execute_process(
                COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                        ${TALLYWICK_DPKG_BUILDFLAGS} --get ${kind}
                WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                OUTPUT_VARIABLE flags
                OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
            separate_arguments(hardening_${kind} UNIX_COMMAND "${flags}")
        endforeach()
    else()
        set(hardening_CPPFLAGS -D_FORTIFY_SOURCE=2)
        set(hardening_CXXFLAGS -fstack-protector-strong -Wformat -Werror=format-security)
        set(hardening_LDFLAGS -Wl,-z,relro -Wl,-z,now)
    endif()
    list(FILTER hardening_CXXFLAGS EXCLUDE REGEX "^-(g|O[0-3sg]?)$")
    add_compile_options(${hardening_CPPFLAGS} ${hardening_CXXFLAGS})
    add_link_options(${hardening_LDFLAGS})
endif()
