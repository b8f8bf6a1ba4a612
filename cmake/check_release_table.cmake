# Script mode: checks a table of SFSE releases as the build does and writes its rows, one
# "SFSE game" a line, oldest first, to OUTPUT; a bad row fails it, named by its line.
# Usage: cmake -DTABLE=<sfse-releases.txt> -DOUTPUT=<rows file> -P check_release_table.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/release_table.cmake)
tarnwick_read_release_table(${TABLE} sfse game)
tarnwick_write_release_rows(${OUTPUT} sfse game)
