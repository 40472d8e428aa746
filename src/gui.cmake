# The desktop program: Qt Widgets over the engine.
find_package(Qt6 REQUIRED COMPONENTS Widgets)
set(CMAKE_AUTOMOC ON)
set(CMAKE_AUTORCC ON)

file(GLOB QUILLEX_GUI_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/qt/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/filter/page/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/views/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/shell/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/shell/*.qrc)
file(GLOB QUILLEX_GUI_HEADERS CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/qt/*.h
  ${CMAKE_CURRENT_SOURCE_DIR}/filter/page/*.h
  ${CMAKE_CURRENT_SOURCE_DIR}/views/*.h
  ${CMAKE_CURRENT_SOURCE_DIR}/shell/*.h)
list(REMOVE_ITEM QUILLEX_GUI_SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/views/ExportWriter.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/shell/main.cpp)

add_library(quillex_gui STATIC ${QUILLEX_GUI_SOURCES} ${QUILLEX_GUI_HEADERS})
target_link_libraries(quillex_gui PUBLIC quillex_engine Qt6::Widgets)
target_include_directories(quillex_gui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
quillex_warnings(quillex_gui)

add_executable(quillex ${CMAKE_CURRENT_SOURCE_DIR}/shell/main.cpp)
target_link_libraries(quillex PRIVATE quillex_gui)
quillex_warnings(quillex)
