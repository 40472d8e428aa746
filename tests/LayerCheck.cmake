# Checks that every include of ours goes down the layers, never up:
#
#   shell    shell/, filter/page/                 may use widgets and engine
#   widgets  views/gui/, platform/qt/             may use the engine
#   engine   platform/ < filter/ < store/ < scan/ < tags/ < views/   (Qt-free)
#
# Inside the engine each folder uses only the folders before it, without
# exception. Engine files, the command line, the engine's tests, benchmarks
# and fuzz targets include no Qt header. Tests and benchmarks take the layer
# of the folder they mirror.
#
# The operating system is reached through platform/ alone: no engine or
# command-line source outside src/platform/ includes a POSIX header
# (unistd.h, fcntl.h, dirent.h, pthread.h, sys/...), except the command
# line's main.cpp, which asks whether its standard streams are terminals.
#
#   cmake -DROOT=<source tree> -P LayerCheck.cmake
cmake_minimum_required(VERSION 3.25)
if(NOT ROOT)
  message(FATAL_ERROR "LayerCheck: pass -DROOT=<source tree>")
endif()

# Rank of a folder, as a path relative to src/ (or tests/, bench/): the
# first matching prefix wins, so subfolders come before their parents.
set(rank_prefixes
  "shell/" "filter/page/" "views/gui/" "platform/qt/" "support/gui/" "gui/"
  "platform/" "filter/" "store/" "scan/" "tags/" "views/" "cli/" "engine/")
set(rank_values
  30 30 20 20 20 20
  0 1 2 3 4 5 6 6)

function(rank_of path out)
  set(result -1)
  foreach(prefix value IN ZIP_LISTS rank_prefixes rank_values)
    string(FIND "${path}" "${prefix}" at)
    if(at EQUAL 0)
      set(result ${value})
      break()
    endif()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files RELATIVE ${ROOT}
  ${ROOT}/src/*.cpp ${ROOT}/src/*.h
  ${ROOT}/tests/*.cpp ${ROOT}/tests/*.h
  ${ROOT}/bench/*.cpp ${ROOT}/bench/*.h
  ${ROOT}/fuzz/*.cpp ${ROOT}/fuzz/*.h)

set(violations "")
foreach(file IN LISTS files)
  # Where the file stands: its path below its top folder.
  string(REGEX REPLACE "^[^/]+/(.*)$" "\\1" inner "${file}")
  if(file MATCHES "^fuzz/")
    set(inner "engine/${inner}")
  endif()
  rank_of("${inner}" own)
  if(own EQUAL -1)
    continue()
  endif()
  # Tests, benchmarks and fuzz targets may use the whole of the layer they
  # belong to (a scan test builds a store and formats it), never one above.
  if(NOT file MATCHES "^src/")
    if(own LESS 10)
      set(own 9)
    endif()
  endif()

  # Engine sources that must reach the system through platform/.
  set(no_posix FALSE)
  if(file MATCHES "^src/" AND own LESS 10 AND NOT file MATCHES "^src/platform/"
     AND NOT file STREQUAL "src/cli/main.cpp")
    set(no_posix TRUE)
  endif()

  file(STRINGS ${ROOT}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*([<\"][^>\"]*[>\"]).*" "\\1" target "${line}")
    if(target MATCHES "^<Q" AND own LESS 10)
      list(APPEND violations "${file}: ${target}: no Qt below the widgets")
      continue()
    endif()
    if(no_posix AND target MATCHES "^<(unistd|fcntl|dirent|pthread)\\.h>$|^<sys/")
      list(APPEND violations "${file}: ${target}: the system only through platform/")
      continue()
    endif()
    if(NOT target MATCHES "^\"")
      continue()
    endif()
    string(REGEX REPLACE "^\"(.*)\"$" "\\1" header "${target}")
    rank_of("${header}" theirs)
    if(theirs EQUAL -1 OR header MATCHES "^support/")
      continue()
    endif()
    if(theirs GREATER own)
      list(APPEND violations "${file}: ${header}: includes a layer above its own")
    endif()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Includes that cross the layers the wrong way:\n  ${text}")
endif()
list(LENGTH files count)
message(STATUS "LayerCheck: ${count} files, every include goes down the layers")
