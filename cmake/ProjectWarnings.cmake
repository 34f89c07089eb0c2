# Warnings are errors on the project's own code.
function(olvbus_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Werror -Wshadow -Wconversion -Wno-sign-conversion)
endfunction()

# Code that is also compiled into the kernel driver: no exceptions, no RTTI,
# no guarded statics (there is no runtime to guard them).
function(olvbus_freestanding target)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti -fno-threadsafe-statics>)
endfunction()
