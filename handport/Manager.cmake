# CManager, the library's interface: the exported StartManager and DestroyManager and the manager's
# operations over the link engine and the two store sides.
target_sources(Handport PRIVATE Manager.cpp ManagerMedia.cpp ManagerMode.cpp ManagerRecords.cpp ManagerSettings.cpp)
target_link_libraries(Handport PRIVATE platform::registry)

# What an application compiles against when it loads the library by name: the public headers,
# and no link to the library. The sanitizer's dynamic-type check would want CManager's type
# record at link time, which lives in the library alone, so it is off for such callers.
add_library(handport_interface INTERFACE)
target_include_directories(handport_interface INTERFACE ${CMAKE_CURRENT_SOURCE_DIR}/include)
target_link_libraries(handport_interface INTERFACE link_protocol platform::framework)
if(TOLVAR_SANITIZE)
  target_compile_options(handport_interface INTERFACE -fno-sanitize=vptr)
endif()

# The tests meet the library as an application does: loaded by name, never linked.
add_library(handport_manager_harness STATIC tests/support/ManagerHarness.cpp)
target_include_directories(handport_manager_harness PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/tests)
target_link_libraries(handport_manager_harness PUBLIC handport_interface platform::kernel platform::registry)
add_dependencies(handport_manager_harness Handport)

tolvar_test(handport_manager_tests LABEL unit
  SOURCES tests/ManagerInterfaceTest.cpp tests/LinkServiceStartTest.cpp
  DEPS handport_manager_harness base_testing)
# The library starts the link service program, which the start-up test watches come up.
add_dependencies(handport_manager_tests Linkwell)

# Through the link service's own core to the simulated phone.
tolvar_test(handport_manager_e2e_tests LABEL e2e TIMEOUT 300
  SOURCES tests/e2e/ManagerRoadTest.cpp
  DEPS handport_manager_harness handport_service_host phonesim_testing)
