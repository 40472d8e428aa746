# Widget benchmarks run on the offscreen platform; their main() creates the
# QApplication, so they link benchmark::benchmark without its main.
file(GLOB QUILLEX_BENCH_GUI CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/gui/*.cpp)
if(QUILLEX_BENCH_GUI)
  add_executable(gui_bench ${QUILLEX_BENCH_GUI})
  target_link_libraries(gui_bench PRIVATE quillex_gui benchmark::benchmark)
  quillex_warnings(gui_bench)
endif()
