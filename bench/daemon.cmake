# bench_daemon: one daemon exchange against an in-process peer, next to the bare socket floor,
# and the parse of a large reply. The peer is the tests' scripted socket peer.
add_executable(bench_daemon ${CMAKE_CURRENT_LIST_DIR}/daemon_exchange.cpp ${CMAKE_CURRENT_LIST_DIR}/qt_benchmark_main.cpp
                            ${CMAKE_SOURCE_DIR}/tests/support/ScriptedSocketPeer.cpp)
target_include_directories(bench_daemon PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(bench_daemon PRIVATE vantrel_common_cfg vantrel_daemon benchmark::benchmark Qt6::Core)
