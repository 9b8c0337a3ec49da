# Copies the run-time folders (languages/, data/) beside the executables.
# Run with -DSOURCE_DIR=<source tree> -DDEST_DIR=<program folder>. A folder
# the checkout does not have (yet) is skipped, so a fresh clone still builds.
foreach(folder languages data)
  if(IS_DIRECTORY "${SOURCE_DIR}/${folder}")
    file(COPY "${SOURCE_DIR}/${folder}" DESTINATION "${DEST_DIR}")
  endif()
endforeach()
