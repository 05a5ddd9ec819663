# Language files are resource-only PE modules. They are built with the MinGW
# binutils of Debian (package binutils-mingw-w64-x86-64): windres compiles a
# resource script, ld links it into a module without code of its own.
find_program(VARNEK_WINDRES x86_64-w64-mingw32-windres)
find_program(VARNEK_MINGW_LD x86_64-w64-mingw32-ld)
find_program(VARNEK_MINGW_OBJCOPY x86_64-w64-mingw32-objcopy)
find_program(VARNEK_CPP cpp)
if(NOT VARNEK_WINDRES OR NOT VARNEK_MINGW_LD OR NOT VARNEK_MINGW_OBJCOPY OR NOT VARNEK_CPP)
  message(FATAL_ERROR "Building language files needs x86_64-w64-mingw32-windres, -ld, -objcopy "
                      "and cpp: run scripts/setup (package binutils-mingw-w64-x86-64).")
endif()

# varnek_add_lcf(<output> <resource script> [PE32] [DEFINES d...] [DEPENDS f...])
# Builds <output> from the script; PE32 makes a 32-bit module instead of PE32+.
function(varnek_add_lcf output rc)
  cmake_parse_arguments(A "PE32" "" "DEFINES;DEPENDS" ${ARGN})
  set(defs)
  foreach(d IN LISTS A_DEFINES)
    list(APPEND defs -D${d})
  endforeach()
  get_filename_component(rcdir ${rc} DIRECTORY)
  set(obj ${output}.o)
  set(post)
  if(A_PE32)
    set(post COMMAND ${VARNEK_MINGW_OBJCOPY} -O pei-i386 ${output} ${output})
  endif()
  add_custom_command(OUTPUT ${output}
    COMMAND ${VARNEK_WINDRES} --preprocessor=${VARNEK_CPP} ${defs} -I ${rcdir} -i ${rc} -o ${obj}
    COMMAND ${VARNEK_MINGW_LD} --dll -e 0 -s ${obj} -o ${output}
    ${post}
    DEPENDS ${rc} ${A_DEPENDS}
    COMMENT "Language file ${output}"
    VERBATIM)
endfunction()
