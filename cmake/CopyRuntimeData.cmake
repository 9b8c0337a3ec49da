# Copies the run-time folders (languages/, data/, help/) of the source tree
# beside the executables. A folder that does not exist yet is skipped, so a
# checkout without, say, data/ still builds.
#   cmake -DSOURCE_DIR=<src> -DDEST_DIR=<dst> -DFOLDERS=languages,data,help -P CopyRuntimeData.cmake
string(REPLACE "," ";" folder_list "${FOLDERS}")
foreach(folder IN LISTS folder_list)
  if(IS_DIRECTORY "${SOURCE_DIR}/${folder}")
    file(COPY "${SOURCE_DIR}/${folder}" DESTINATION "${DEST_DIR}")
  endif()
endforeach()
