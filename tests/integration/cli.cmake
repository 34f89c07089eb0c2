# olvbusctl against golden transcripts: the main job's bring-up script, the
# timing diagram, every usage error and failure, and the commands of every
# export family. OLVBUSCTL_UPDATE_GOLDENS=1 ctest -R cli rewrites them.
if(NOT TARGET olvbusctl)
  return()
endif()
set(OLVBUSCTL_CLI ${CMAKE_CURRENT_LIST_DIR}/cli)

function(olvbusctl_transcript name workdir)
  add_test(NAME cli.${name}
    COMMAND bash ${OLVBUSCTL_CLI}/run_cases.sh $<TARGET_FILE:olvbusctl>
            ${OLVBUSCTL_CLI}/${name}.cases ${OLVBUSCTL_CLI}/${name}.golden ${workdir})
  set_tests_properties(cli.${name} PROPERTIES LABELS integration)
endfunction()
olvbusctl_transcript(main_job ${PROJECT_SOURCE_DIR})
olvbusctl_transcript(timing ${OLVBUSCTL_CLI})
olvbusctl_transcript(errors ${OLVBUSCTL_CLI})
olvbusctl_transcript(help ${OLVBUSCTL_CLI})
olvbusctl_transcript(commands ${OLVBUSCTL_CLI})

# The version text names the back end; its build stamp may be the build time.
add_test(NAME cli.version COMMAND bash -c "\"$0\" select 1 \\; version" $<TARGET_FILE:olvbusctl>)
set_tests_properties(cli.version PROPERTIES LABELS integration
  PASS_REGULAR_EXPRESSION "LPT1 at 0x378\nOlvBus.dll compiled [^\n]*\nOPEN_LPT_FILE USE_OLVEXPIN_SYS \nusing OlvexPin.sys \nsupports")

# --vcd keeps the session's waveform: it opens with the connector's pins and
# holds the control register's value 0x0B written at one step.
add_test(NAME cli.vcd_file
  COMMAND bash -c "rm -f session.vcd && \"$0\" --vcd session.vcd select 1 \\; control 0x0B && grep -q '^\\$enddefinitions' session.vcd && grep -q '^b0000000000001011 ' session.vcd"
          $<TARGET_FILE:olvbusctl>
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
set_tests_properties(cli.vcd_file PROPERTIES LABELS integration)

# The examples: the C program and the Python script on the host library
# check what they read back and exit 1 when it is wrong.
add_test(NAME cli.example_c COMMAND dut_registers)
set_tests_properties(cli.example_c PROPERTIES LABELS integration
  ENVIRONMENT "OLVBUS_SIM_DUT=wr=1-,rd=14-,addr=16+,cs=17-,busy=11+,busypolls=2")
# Python is not built with the sanitizers, so it cannot load a library that is.
find_package(Python3 COMPONENTS Interpreter QUIET)
if(Python3_Interpreter_FOUND AND NOT OLVBUS_SANITIZE)
  add_test(NAME cli.example_python
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/examples/dut_registers.py $<TARGET_FILE:olvbus>)
  set_tests_properties(cli.example_python PROPERTIES LABELS integration)
  # Windows is not here to run it; it must at least be valid Python.
  add_test(NAME cli.example_python_windows_compiles
    COMMAND ${Python3_EXECUTABLE} -c "import ast,sys; ast.parse(open(sys.argv[1]).read())"
            ${PROJECT_SOURCE_DIR}/examples/dut_registers_windows.py)
  set_tests_properties(cli.example_python_windows_compiles PROPERTIES LABELS integration)
endif()
