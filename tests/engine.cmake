# One test program per engine folder; engine tests never link Qt.
function(quillex_engine_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "LABELS" "")
  file(GLOB sources CONFIGURE_DEPENDS ${arg_UNPARSED_ARGUMENTS})
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE quillex_engine GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  quillex_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QUILLEX_SCAN=$<TARGET_FILE:quillex-scan>" LABELS "${arg_LABELS}")
endfunction()

quillex_engine_test(platform_tests ${CMAKE_CURRENT_SOURCE_DIR}/platform/*Test.cpp)
quillex_engine_test(filter_tests ${CMAKE_CURRENT_SOURCE_DIR}/filter/*Test.cpp)
quillex_engine_test(store_tests ${CMAKE_CURRENT_SOURCE_DIR}/store/*Test.cpp)
quillex_engine_test(scan_tests ${CMAKE_CURRENT_SOURCE_DIR}/scan/*Test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/support/*.cpp)
# Scans of a sparse file of more than 4 GiB: `ctest -L large` runs them alone.
quillex_engine_test(large_tests ${CMAKE_CURRENT_SOURCE_DIR}/scan/large/*Test.cpp LABELS large)
quillex_engine_test(export_tests ${CMAKE_CURRENT_SOURCE_DIR}/views/Export*Test.cpp)
quillex_engine_test(cli_tests ${CMAKE_CURRENT_SOURCE_DIR}/cli/*Test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/support/*.cpp)
