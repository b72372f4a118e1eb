# Sensors and system metrics: the smc output parser, one refresh through the built smc tool,
# and the local memory, CPU and process readings on this machine.
add_executable(bench_sensors
  ${CMAKE_CURRENT_LIST_DIR}/qt_benchmark_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sensors_smc.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sensors_system.cpp)
target_link_libraries(bench_sensors PRIVATE vantrel_common_cfg vantrel_sensors vantrel_platform_linux benchmark::benchmark Qt6::Core)
add_dependencies(bench_sensors vantrel-smc)
