# Widget tests run headless on the offscreen platform.
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
function(quillex_gui_test name)
  file(GLOB sources CONFIGURE_DEPENDS ${ARGN})
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE quillex_gui Qt6::Test GTest::gtest GTest::gmock)
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  quillex_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS gui)
endfunction()

# GUI test programs bring their own main (tests/support/GuiTestMain.cpp) that
# creates the QApplication before the tests run.
quillex_gui_test(shell_tests ${CMAKE_CURRENT_SOURCE_DIR}/shell/*Test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/support/gui/*.cpp)
quillex_gui_test(views_tests ${CMAKE_CURRENT_SOURCE_DIR}/views/gui/*Test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/support/gui/*.cpp)
quillex_gui_test(filter_page_tests ${CMAKE_CURRENT_SOURCE_DIR}/filter/page/*Test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/support/gui/*.cpp)

# The desktop program's --help and --version, run as a separate process with
# no display; the test itself needs no Qt.
add_executable(desktop_cli_tests ${CMAKE_CURRENT_SOURCE_DIR}/shell/launch/DesktopCommandLineTest.cpp)
target_link_libraries(desktop_cli_tests PRIVATE quillex_engine GTest::gtest GTest::gtest_main)
quillex_warnings(desktop_cli_tests)
add_dependencies(desktop_cli_tests quillex)
gtest_discover_tests(desktop_cli_tests DISCOVERY_TIMEOUT 60
  PROPERTIES ENVIRONMENT "QUILLEX_DESKTOP=$<TARGET_FILE:quillex>" LABELS gui)
