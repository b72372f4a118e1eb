# vantrel-sim figures: "get_status" throughput from concurrent clients (bench_sim), and the smc
# tool's start-up next to a static no-op spawned the same way (bench_sim_spawn, sim_figures.sh).
add_executable(bench_sim ${CMAKE_CURRENT_LIST_DIR}/sim_server.cpp)
target_link_libraries(bench_sim PRIVATE vantrel_common_cfg vantrel_sim_server benchmark::benchmark)

add_executable(sim_noop ${CMAKE_CURRENT_LIST_DIR}/sim_noop.cpp)
add_executable(bench_sim_spawn ${CMAKE_CURRENT_LIST_DIR}/sim_spawn.cpp)
target_link_libraries(bench_sim_spawn PRIVATE vantrel_common_cfg)
if(NOT VANTREL_SANITIZE)
  target_link_options(sim_noop PRIVATE -static)
endif()
add_dependencies(bench_sim_spawn sim_noop vantrel-smc)
