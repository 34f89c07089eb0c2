# The device under test on the DUT bus, and the waveform recorder.
target_sources(olvbus_sim PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/dut_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/waveform_recorder.cpp
)
