# SPDX-License-Identifier: GPL-3.0-or-later
# Compiler warnings for every target of the project, in one place.
# TALLYWICK_WARNINGS_AS_ERRORS turns them into errors (the CI presets do).
option(TALLYWICK_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)

if(MSVC)
    add_compile_options(/W4)
    if(TALLYWICK_WARNINGS_AS_ERRORS)
        add_compile_options(/WX)
    endif()
elseif(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    add_compile_options(
        -Wall
        -Wextra
        -Wpedantic
        -Wshadow
        -Wconversion
        -Wsign-conversion
        -Wold-style-cast
        -Woverloaded-virtual
        -Wnon-virtual-dtor
        -Wnull-dereference
        -Wdouble-promotion
    )
    if(TALLYWICK_WARNINGS_AS_ERRORS)
        add_compile_options(-Werror)
    endif()
endif()
