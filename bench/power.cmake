# Power and battery: a day (and a week) of power-only samples, a battery telemetry append
# with a full 13-hour log, and one policy evidence capture.
add_executable(bench_power ${CMAKE_CURRENT_LIST_DIR}/power_logs.cpp ${CMAKE_CURRENT_LIST_DIR}/power_evidence.cpp)
target_include_directories(bench_power PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(bench_power PRIVATE vantrel_common_cfg vantrel_power benchmark::benchmark
                                          benchmark::benchmark_main Qt6::Core)
