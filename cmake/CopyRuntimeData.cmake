# Copies the run-time folders (languages/, data/, help/) beside the executables.
# Run with -DSOURCE_DIR=<source tree> -DDEST_DIR=<program folder>. A folder
# the checkout does not have (yet) is skipped, so a fresh clone still builds.
foreach(folder languages data help)
  if(IS_DIRECTORY "${SOURCE_DIR}/${folder}")
    file(COPY "${SOURCE_DIR}/${folder}" DESTINATION "${DEST_DIR}")
  endif()
endforeach()
