# Checks the desktop entry's MimeType line: Quillex offers itself for the
# types of programs, libraries and object files, and never for
# application/octet-stream, which would make it the opener of every file
# whose type a desktop does not know. Run with -DENTRY=<the .desktop file>.
cmake_minimum_required(VERSION 3.16)
file(STRINGS "${ENTRY}" lines REGEX "^MimeType=")
list(LENGTH lines count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "${ENTRY}: expected one MimeType line, found ${count}")
endif()
string(REGEX REPLACE "^MimeType=" "" types "${lines}")
# file(STRINGS) keeps the line's semicolons escaped; unescaped they make the
# types a list.
string(REPLACE "\\;" ";" types "${types}")
foreach(wanted application/x-executable application/x-sharedlib application/x-object
               application/x-ms-dos-executable application/vnd.microsoft.portable-executable)
  if(NOT wanted IN_LIST types)
    message(FATAL_ERROR "${ENTRY}: does not claim ${wanted}")
  endif()
endforeach()
foreach(unwanted application/octet-stream text/plain)
  if(unwanted IN_LIST types)
    # A status line is never wrapped, so the check's own test can match it.
    message(STATUS "claims ${unwanted}")
    message(FATAL_ERROR "${ENTRY}: claims ${unwanted}")
  endif()
endforeach()
message(STATUS "MimeType: ${types}")
