# Fan control: curve evaluation, the preset file and the fan-behaviour log.
add_executable(bench_fan ${CMAKE_CURRENT_LIST_DIR}/fan_benchmarks.cpp ${CMAKE_CURRENT_LIST_DIR}/qt_benchmark_main.cpp)
target_link_libraries(bench_fan PRIVATE vantrel_common_cfg vantrel_fan benchmark::benchmark Qt6::Core)
