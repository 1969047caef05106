# Regenerates MeadowStyle into OUT and compares every file with the committed one in SKIN.
# cmake -DGENERATOR=meadowgen -DSKIN=skins/MeadowStyle -DOUT=dir -P CompareGenerated.cmake
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${GENERATOR} ${SKIN}/generator/Options.in ${OUT} RESULT_VARIABLE Rc)
if(NOT Rc EQUAL 0)
  message(FATAL_ERROR "meadowgen failed (${Rc})")
endif()
set(Different)
foreach(Name Options.dat Master.bmp ButtonHuge.bmp)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SKIN}/${Name} ${OUT}/${Name}
                  RESULT_VARIABLE Same)
  if(NOT Same EQUAL 0)
    list(APPEND Different ${Name})
  endif()
endforeach()
if(Different)
  message(FATAL_ERROR "The committed ${Different} differ from what the generator makes "
                      "(regenerated into ${OUT}); run the target meadowstyle_regenerate and "
                      "commit the result")
endif()
message(STATUS "Options.dat, Master.bmp and ButtonHuge.bmp are as generated")
