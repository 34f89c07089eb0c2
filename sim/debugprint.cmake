# The substitute debug-print device that receives OlvexPin's records.
add_library(olvbus_sim_debugprint STATIC
  ${CMAKE_CURRENT_LIST_DIR}/debugprint_device.cpp
)
target_include_directories(olvbus_sim_debugprint PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(olvbus_sim_debugprint PUBLIC olvexpin_debugprint)
olvbus_warnings(olvbus_sim_debugprint)
