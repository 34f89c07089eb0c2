# Writes the module definition file the linker gets: the ordinal table of
# olvbus.def, each name as the compiler emitted it. On i686 a standard-call
# function is emitted as Name@bytes; the linker's --kill-at then exports it
# undecorated while the import library keeps the decorated name that callers
# compiled against olvbus.h reference.
#
#   cmake -DNM=... -DOBJECT=... -DTABLE=olvbus.def -DOUTPUT=... -P link_def.cmake
execute_process(COMMAND ${NM} --defined-only ${OBJECT} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${NM} failed on ${OBJECT}")
endif()
file(STRINGS ${TABLE} lines REGEX "^[ \t]+[A-Za-z_0-9]+[ \t]+@[0-9]+")
set(out "LIBRARY olvbus.dll\nEXPORTS\n")
set(missing "")
foreach(line IN LISTS lines)
  string(REGEX MATCH "([A-Za-z_0-9]+)[ \t]+@([0-9]+)" _ "${line}")
  set(name ${CMAKE_MATCH_1})
  set(ordinal ${CMAKE_MATCH_2})
  if(symbols MATCHES " T _?(${name}(@[0-9]+)?)\n")
    string(APPEND out "    ${CMAKE_MATCH_1} @${ordinal}\n")
  else()
    list(APPEND missing ${name})
  endif()
endforeach()
if(missing)
  list(LENGTH missing count)
  message(WARNING "olvbus.dll is built without ${count} exports not yet defined: ${missing}")
endif()
file(WRITE ${OUTPUT}.tmp "${out}")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
