# Ninja builds run moc again only when a header moc already knows changes, so a new Q_OBJECT
# file found by a CONFIGURE_DEPENDS glob would link with an undefined vtable. When a target's
# globbed file list differs from the last configure, drop its moc timestamp so moc runs.
function(kv816_moc_on_new_files target)
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_sources.txt)
  set(old "")
  if(EXISTS ${list_file})
    file(READ ${list_file} old)
  endif()
  if(NOT old STREQUAL "${ARGN}")
    file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/timestamp)
    file(WRITE ${list_file} "${ARGN}")
  endif()
endfunction()
