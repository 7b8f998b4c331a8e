# Writes one gzipped manual page from a program's --help with help2man (cmake -P):
#   -DHELP2MAN=path -DPROGRAM=path -DNAME=kv816ctl -DSUMMARY="one line" -DVERSION=1.0
#   -DINCLUDE=extra.h2m -DOUTPUT=kv816ctl.1.gz [-DCOMMANDS=ON]
# With COMMANDS, a COMMANDS section holds the --help of every subcommand, so the page
# follows the program whenever a subcommand or option changes.
set(ENV{KV816_LOOPBACK_ONLY} 1)
# The page's date is the project's release date, not the build's, so builds are repeatable.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} 1796904000)
endif()

function(help_of out)
  execute_process(COMMAND ${PROGRAM} ${ARGN} --help OUTPUT_VARIABLE text RESULT_VARIABLE rc
                  TIMEOUT 30)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} ${ARGN} --help failed (${rc})")
  endif()
  string(REPLACE "${PROGRAM}" "${NAME}" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The names listed under "Subcommands:" in a help text.
function(subcommands_in text out)
  set(names)
  set(inside OFF)
  string(REPLACE "\n" ";" lines "${text}")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[A-Za-z]")
      string(TOLOWER "${line}" lower)
      set(inside OFF)
      if(lower MATCHES "^subcommands:")
        set(inside ON)
      endif()
    elseif(inside AND line MATCHES "^  ([a-z][a-z0-9-]*)")
      list(APPEND names ${CMAKE_MATCH_1})
    endif()
  endforeach()
  set(${out} ${names} PARENT_SCOPE)
endfunction()

# roff: backslashes doubled, lines that would start a request guarded.
function(as_roff text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(command_section out)
  help_of(top)
  subcommands_in("${top}" commands)
  set(section "[COMMANDS]\n")
  foreach(command IN LISTS commands)
    set(paths ${command})
    help_of(text ${command})
    subcommands_in("${text}" nested)
    foreach(inner IN LISTS nested)
      list(APPEND paths "${command};${inner}")
    endforeach()
    foreach(path IN LISTS paths)
      string(REPLACE ";" " " title "${path}")
      help_of(text ${path})
      # Drop the parameter notes the top-level page already shows once.
      string(REGEX REPLACE "\nParameters: .*" "\n" text "${text}")
      as_roff("${text}" text)
      string(APPEND section ".SS \"${NAME} ${title}\"\n.nf\n${text}.fi\n")
    endforeach()
  endforeach()
  set(${out} "${section}" PARENT_SCOPE)
endfunction()

get_filename_component(page ${OUTPUT} NAME_WLE)
set(work ${OUTPUT}.work)
file(MAKE_DIRECTORY ${work})
file(READ ${INCLUDE} extra)
if(COMMANDS)
  command_section(commands)
  string(PREPEND extra "${commands}\n")
endif()
file(WRITE ${work}/include.h2m "${extra}")
# help2man reads the help through a stand-in that prints it without its "NAME - summary"
# line: the page's NAME and DESCRIPTION sections say that already.
help_of(help)
string(REGEX REPLACE "^${NAME} - [^\n]*\n" "" help "${help}")
file(WRITE ${work}/help.txt "${help}")
file(MAKE_DIRECTORY ${work}/bin)
file(WRITE ${work}/bin/${NAME} "#!/bin/sh\ncat '${work}/help.txt'\n")
file(CHMOD ${work}/bin/${NAME} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
execute_process(
  COMMAND ${HELP2MAN} --no-info --version-string=${VERSION} --name=${SUMMARY}
          --include=${work}/include.h2m --output=${work}/${page} ${work}/bin/${NAME}
  RESULT_VARIABLE rc TIMEOUT 60)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "help2man failed for ${PROGRAM} (${rc})")
endif()
execute_process(COMMAND gzip -n -9 -f ${work}/${page} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gzip failed for ${page}")
endif()
file(RENAME ${work}/${page}.gz ${OUTPUT})
file(REMOVE_RECURSE ${work})
