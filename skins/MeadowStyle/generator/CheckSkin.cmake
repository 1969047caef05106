# Checks the skin folder SKIN with kvskin, packs it into OUT, checks the packed skin and its
# size (at most MAX_PACKED bytes).
# cmake -DKVSKIN=kvskin [-DEMULATOR=wine] -DSKIN=dir -DOUT=dir -DMAX_PACKED=n -P CheckSkin.cmake
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
function(run)
  execute_process(COMMAND ${EMULATOR} ${KVSKIN} ${ARGN} RESULT_VARIABLE Rc OUTPUT_VARIABLE Out
                  ERROR_VARIABLE Err)
  if(NOT Rc EQUAL 0)
    message(FATAL_ERROR "kvskin ${ARGN} failed (${Rc}):\n${Out}${Err}")
  endif()
endfunction()
run(check ${SKIN})
run(pack ${SKIN} ${OUT}/MeadowStyle.kvz)
run(check ${OUT}/MeadowStyle.kvz)
file(SIZE ${OUT}/MeadowStyle.kvz Size)
if(Size GREATER MAX_PACKED)
  message(FATAL_ERROR "The packed skin has ${Size} bytes, more than ${MAX_PACKED}")
endif()
message(STATUS "No problems; packed ${Size} bytes")
