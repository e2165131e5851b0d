# SPDX-License-Identifier: GPL-3.0-or-later
# Instrumented builds of the whole project.
#
# TALLYWICK_SANITIZE: AddressSanitizer and UndefinedBehaviorSanitizer (the
# "sanitize" preset). The first finding ends the program with an error.
# TALLYWICK_FUZZ: the same, with libFuzzer's coverage, and the fuzz targets
# of fuzz/ (clang only). The "sanitize" preset turns on both, so one build
# serves the suites and the fuzz targets.
option(TALLYWICK_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(TALLYWICK_FUZZ "Build the libFuzzer targets of fuzz/ (clang)" OFF)

set(tallywick_sanitizers address,undefined)
if(TALLYWICK_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "TALLYWICK_FUZZ needs clang (libFuzzer)")
    endif()
    set(tallywick_sanitizers fuzzer-no-link,address,undefined)
endif()
if(TALLYWICK_SANITIZE OR TALLYWICK_FUZZ)
    add_compile_options(-fsanitize=${tallywick_sanitizers} -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
