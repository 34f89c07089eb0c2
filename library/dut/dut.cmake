# The DUT register bus, the printer pins and the raw ports.
target_sources(olvbus_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/strobe_pins.cpp
  ${CMAKE_CURRENT_LIST_DIR}/busy_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/register_cycles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../printer_pins.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../raw_ports.cpp
)
