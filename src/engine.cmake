# The engine library links only the standard library. Qt-side code of the
# platform and filter folders lives in their qt/ and page/ subfolders and is
# built by gui.cmake instead.
file(GLOB QUILLEX_ENGINE_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/filter/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/scan/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/store/*.cpp)
list(APPEND QUILLEX_ENGINE_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/views/ExportWriter.cpp)

add_library(quillex_engine STATIC ${QUILLEX_ENGINE_SOURCES})
target_include_directories(quillex_engine PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(quillex_engine PUBLIC QUILLEX_VERSION="${PROJECT_VERSION}")
quillex_warnings(quillex_engine)
