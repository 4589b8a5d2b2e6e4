# zun-msg driven from outside by gdbus, as any program would drive it. Run
# under dbus-run-session with the build tree's service folder on
# XDG_DATA_DIRS: the first call makes the bus start zun-msg.
#
#   cmake -DGDBUS=<gdbus> -DPROG=<zun-msg> -DRES=<res folder> -DWORK=<scratch> -P check_gdbus.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(server_call expected method)
  execute_process(COMMAND ${GDBUS} call --session --dest Zun_Msg.App --object-path /Zun_Msg/App
                          --timeout 20 --method ${method} ${ARGN}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${method} ${ARGN}: gdbus failed (${rc}): ${err}")
  endif()
  if(NOT out STREQUAL expected)
    message(FATAL_ERROR "${method} ${ARGN}: expected ${expected}, got ${out}")
  endif()
  message(STATUS "${method} ${ARGN} -> ${out}")
endfunction()

server_call("(true,)" Zun_Msg.App.OpenFile "${RES}/msg/en.json")
server_call("(true,)" Zun_Msg.App.SearchKey ZUN_MFC_0010)
server_call("('ZUN_MFC_0010',)" Zun_Msg.App.GetSelectedKey)
server_call("('No text selected',)" Zun_Msg.App.GetMsg ZUN_MFC_0010 en)
server_call("('',)" Zun_Msg.App.GetMsg ZUN_MFC_0010 de)
server_call("('S en',)" Zun_Msg.App.GetMsg ZUN_MFC_0010 0)
server_call("(false,)" Zun_Msg.App.SearchKey NO_SUCH_KEY)

# A broken file is refused and the open texts stay.
file(WRITE ${WORK}/de.json "{\"ZUN_MFC_0010\": \"x\",\n \"B\": 3}\n")
server_call("(false,)" Zun_Msg.App.OpenFile "${WORK}/de.json")
server_call("('No text selected',)" Zun_Msg.App.GetMsg ZUN_MFC_0010 en)

# The multi-language file merges in; escaped texts for other programs.
server_call("(true,)" Zun_Msg.App.OpenFile "${RES}/msg/zun_messages.json")
server_call("('Kein Text ausgewählt',)" Zun_Msg.App.GetMsg ZUN_MFC_0010 de)
server_call("('M de,en',)" Zun_Msg.App.GetMsg ZUN_PART_0001 0)
server_call("('Steel sheet 2 mm\\\\nhot-dip galvanised',)" Zun_Msg.App.wGetMsg ZUN_PART_0001 en)
server_call("('ZUN_MFC_0010',)" Zun_Msg.App.GetSelectedKey)

server_call("(<'de'>,)" org.freedesktop.DBus.Properties.Get Zun_Msg.App Country)
server_call("()" org.freedesktop.DBus.Properties.Set Zun_Msg.App Country "<'en'>")
server_call("(<'en'>,)" org.freedesktop.DBus.Properties.Get Zun_Msg.App Country)
server_call("()" Zun_Msg.App.Close)

# Without a session bus zun-msg still opens files and shows them, and says
# that automation is off.
execute_process(COMMAND ${CMAKE_COMMAND} -E env DBUS_SESSION_BUS_ADDRESS=unix:path=${WORK}/no-bus
                        ${PROG} --screenshot ${WORK}/no-bus.png --select ZUN_MFC_0010 ${RES}/msg/en.json
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc TIMEOUT 60)
if(NOT rc EQUAL 0 OR NOT EXISTS ${WORK}/no-bus.png)
  message(FATAL_ERROR "zun-msg without a bus failed (${rc}): ${out} ${err}")
endif()
if(NOT err MATCHES "no session bus: automation is off")
  message(FATAL_ERROR "zun-msg without a bus did not say so: ${err}")
endif()
message(STATUS "without a bus: ${out}")
