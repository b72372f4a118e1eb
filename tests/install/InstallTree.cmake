# Installs the build into PREFIX (emptied first) and checks what a package of it would hold.
cmake_minimum_required(VERSION 3.25)

set(failures 0)
macro(fail message)
  message(SEND_ERROR "install_tree: ${message}")
  math(EXPR failures "${failures} + 1")
endmacro()

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install_tree: cmake --install failed: ${err}")
endif()

set(programs vantrel-sim vantrel-node vantrelctl vantrel-smc vantrel-battery)
if(GUI)
  list(APPEND programs vantrel)
endif()
foreach(program ${programs})
  if(NOT EXISTS ${PREFIX}/bin/${program} OR IS_DIRECTORY ${PREFIX}/bin/${program})
    fail("bin/${program} is missing")
  else()
    file(GET_RUNTIME_DEPENDENCIES EXECUTABLES ${PREFIX}/bin/${program} UNRESOLVED_DEPENDENCIES_VAR missing
         PRE_EXCLUDE_REGEXES "^ld-linux")
    if(missing)
      fail("bin/${program} needs libraries that are not there: ${missing}")
    endif()
  endif()
endforeach()

# The installed programs run from the tree: vantrelctl prints its usage, and finds the smc tool
# installed beside it.
execute_process(COMMAND ${PREFIX}/bin/vantrelctl --help RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out MATCHES "fan curve T:P")
  fail("the installed vantrelctl --help gave ${rc}: ${out}")
endif()

# Resources read from share/vantrel/.
file(READ ${PREFIX}/share/vantrel/VantrelLanguagePack.json pack)
string(JSON kind ERROR_VARIABLE json_error TYPE "${pack}")
if(json_error OR NOT kind STREQUAL "OBJECT")
  fail("share/vantrel/VantrelLanguagePack.json is not a JSON object: ${json_error}")
endif()

set(share_files
  share/man/man1/vantrel.1.gz share/man/man1/vantrelctl.1.gz share/man/man1/vantrel-sim.1.gz
  share/bash-completion/completions/vantrelctl share/bash-completion/completions/vantrel
  share/bash-completion/completions/vantrel-sim
  share/zsh/vendor-completions/_vantrelctl share/zsh/vendor-completions/_vantrel
  share/zsh/vendor-completions/_vantrel-sim
  lib/systemd/system/vantrel-node.service lib/tmpfiles.d/vantrel-node.conf)
if(GUI)
  list(APPEND share_files
    share/applications/${DESKTOP_ID}.desktop share/metainfo/${DESKTOP_ID}.metainfo.xml
    share/icons/hicolor/scalable/apps/${DESKTOP_ID}.svg share/vantrel/icons/vantrel.png)
  foreach(size 16 22 24 32 48 64 128 256 512)
    list(APPEND share_files share/icons/hicolor/${size}x${size}/apps/${DESKTOP_ID}.png)
  endforeach()
endif()
foreach(f ${share_files})
  if(NOT EXISTS ${PREFIX}/${f})
    fail("${f} is missing")
  endif()
endforeach()

# Man pages: compressed, with the version filled in, and formatted without warnings.
foreach(page vantrel vantrelctl vantrel-sim)
  set(gz ${PREFIX}/share/man/man1/${page}.1.gz)
  if(EXISTS ${gz})
    execute_process(COMMAND gzip -dc ${gz} OUTPUT_VARIABLE text RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0 OR NOT text MATCHES "\"Vantrel ${VERSION}\"")
      fail("${page}.1.gz does not unpack to a page of version ${VERSION}")
    endif()
    find_program(MAN man)
    if(MAN)
      execute_process(COMMAND ${CMAKE_COMMAND} -E env MANWIDTH=80 ${MAN} --warnings -l ${gz}
                      OUTPUT_QUIET ERROR_VARIABLE warnings RESULT_VARIABLE rc)
      if(NOT rc EQUAL 0 OR warnings)
        fail("man ${page}: ${warnings}")
      endif()
    endif()
  endif()
endforeach()

if(GUI)
  # PNG icons are PNG files of their size (width and height in the IHDR chunk).
  foreach(size 16 48 256 512)
    file(READ ${PREFIX}/share/icons/hicolor/${size}x${size}/apps/${DESKTOP_ID}.png header LIMIT 24 HEX)
    math(EXPR expected "${size}" OUTPUT_FORMAT HEXADECIMAL)
    string(SUBSTRING "${header}" 32 8 width)
    string(SUBSTRING "${header}" 40 8 height)
    math(EXPR w "0x${width}")
    math(EXPR h "0x${height}")
    if(NOT header MATCHES "^89504e470d0a1a0a" OR NOT w EQUAL size OR NOT h EQUAL size)
      fail("the ${size}x${size} icon is not a ${size}×${size} PNG (${w}×${h})")
    endif()
  endforeach()

  # The desktop entry names the installed icon and the window class the application sets.
  file(STRINGS ${PREFIX}/share/applications/${DESKTOP_ID}.desktop entry)
  foreach(line "Icon=${DESKTOP_ID}" "Exec=vantrel" "StartupWMClass=Vantrel")
    if(NOT line IN_LIST entry)
      fail("the desktop entry lacks ${line}")
    endif()
  endforeach()

  find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
  find_program(APPSTREAMCLI appstreamcli)
  if(NOT DESKTOP_FILE_VALIDATE OR NOT APPSTREAMCLI)
    fail("desktop-file-validate and appstreamcli are needed (scripts/setup-deps.sh installs them)")
  else()
    execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${PREFIX}/share/applications/${DESKTOP_ID}.desktop
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT rc EQUAL 0 OR out)
      fail("desktop-file-validate: ${out}")
    endif()
    execute_process(COMMAND ${APPSTREAMCLI} validate --no-net ${PREFIX}/share/metainfo/${DESKTOP_ID}.metainfo.xml
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT rc EQUAL 0)
      fail("appstreamcli validate: ${out}")
    endif()
    file(READ ${PREFIX}/share/metainfo/${DESKTOP_ID}.metainfo.xml metainfo)
    if(NOT metainfo MATCHES "<launchable type=\"desktop-id\">${DESKTOP_ID}.desktop</launchable>"
       OR NOT metainfo MATCHES "<release version=\"${VERSION}\"")
      fail("the metainfo does not launch ${DESKTOP_ID}.desktop or lacks release ${VERSION}")
    endif()
  endif()
endif()

if(failures GREATER 0)
  message(FATAL_ERROR "install_tree: ${failures} problem(s)")
endif()
message(STATUS "install_tree: ${PREFIX} holds everything")
