# The dashboard against a running vantrel-sim: one refresh (four read-backs, local fallbacks and
# the apply on the main thread), one paint of the whole page, and the resident memory with the
# window shown. With --screenshots DIR it renders every built page and sheet instead.
add_executable(bench_ui ${CMAKE_CURRENT_LIST_DIR}/ui_dashboard.cpp)
target_link_libraries(bench_ui PRIVATE vantrel_common_cfg vantrel_app_backends vantrel_ui benchmark::benchmark Qt6::Widgets)
add_dependencies(bench_ui vantrel-sim vantrel-smc)
