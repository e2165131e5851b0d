# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the user's manual for one system from its single source:
#
#   cmake -DSYSTEM=linux|windows -DSOURCE=doc/MANUAL.TXT.in -DOUTPUT=FILE -P doc/render-manual.cmake
#
# The source is the manual as it reads on Linux, with lines of its own:
#   @linux, @windows   the lines that follow, up to the next of these marks
#                      or "@end", are for that system only;
#   @end               from here on the lines are for both again;
#   @# ...             a note for the manual's writers, in no rendering.
# The Windows rendering writes the examples (the blocks under "  Example N,
# the ...:") the way Windows shows them: /home/ann becomes C:\Users\ann,
# c:\users\ann in a report, whose paths are in lower case, and every "/"
# becomes "\". Lines end with a line feed; the zip gives them a carriage
# return too. With -DCHECK=ON nothing is written: the script fails when
# OUTPUT is not the rendering (the committed Linux manual is checked so).

if(NOT SYSTEM MATCHES "^(linux|windows)$" OR NOT SOURCE OR NOT OUTPUT)
    message(FATAL_ERROR "usage: cmake -DSYSTEM=linux|windows -DSOURCE=IN -DOUTPUT=OUT -P ${CMAKE_CURRENT_LIST_FILE}")
endif()

# A line may hold any character CMake's lists take as syntax: they are set
# aside as control characters while the text is handled as a list of lines.
string(ASCII 1 semicolon)
string(ASCII 2 backslash)
string(ASCII 3 open_bracket)
string(ASCII 4 close_bracket)
file(READ "${SOURCE}" text)
string(REPLACE "\\" "${backslash}" text "${text}")
string(REPLACE ";" "${semicolon}" text "${text}")
string(REPLACE "[" "${open_bracket}" text "${text}")
string(REPLACE "]" "${close_bracket}" text "${text}")
string(REGEX REPLACE "\n$" "" text "${text}")
string(REPLACE "\n" ";" lines "${text}")

# A line of an example as Windows shows it.
function(windows_example_line line part result)
    if(part STREQUAL "report")
        set(home "c:${backslash}users${backslash}ann")
    else()
        set(home "C:${backslash}Users${backslash}ann")
    endif()
    string(REPLACE "/home/ann" "${home}" line "${line}")
    string(REPLACE "/" "${backslash}" line "${line}")
    set(${result} "${line}" PARENT_SCOPE)
endfunction()

set(rendered "")
set(for_system "both")
set(example_part "")
foreach(line IN LISTS lines)
    if(line MATCHES "^@(linux|windows|end)$")
        set(for_system "${CMAKE_MATCH_1}")
        continue()
    endif()
    if(line MATCHES "^@#" OR NOT for_system MATCHES "^(both|end|${SYSTEM})$")
        continue()
    endif()
    if(line MATCHES "^  Example [0-9]+[a-z]?, the (tree|command|report|standard error)")
        set(example_part "${CMAKE_MATCH_1}")
    elseif(NOT line STREQUAL "" AND NOT line MATCHES "^      ")
        set(example_part "")
    elseif(SYSTEM STREQUAL "windows" AND NOT example_part STREQUAL "")
        windows_example_line("${line}" "${example_part}" line)
    endif()
    string(APPEND rendered "${line}\n")
endforeach()

string(REPLACE "${semicolon}" ";" rendered "${rendered}")
string(REPLACE "${open_bracket}" "[" rendered "${rendered}")
string(REPLACE "${close_bracket}" "]" rendered "${rendered}")
string(REPLACE "${backslash}" "\\" rendered "${rendered}")
if(CHECK)
    file(READ "${OUTPUT}" kept)
    if(NOT kept STREQUAL rendered)
        message(FATAL_ERROR "${OUTPUT} is not the ${SYSTEM} rendering of ${SOURCE}: render it "
                            "again with cmake -DSYSTEM=${SYSTEM} -DSOURCE=${SOURCE} "
                            "-DOUTPUT=${OUTPUT} -P ${CMAKE_CURRENT_LIST_FILE}")
    endif()
else()
    file(WRITE "${OUTPUT}.new" "${rendered}")
    file(RENAME "${OUTPUT}.new" "${OUTPUT}")
endif()
