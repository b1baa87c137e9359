# Checks the source tree's two structural rules; run as
#   cmake -DSOURCE_DIR=<src> [-DTOOLS_DIR=<tools>] -P <this file>
# (ctest runs it as the SourceStructure test).
# 1. Folders depend only downwards: xml <- config <- commands <- display <- app <- tools. A file may
#    include headers of its own folder and of folders below it, never of one above. tools/ is on
#    top: its programs may include any folder of src/.
# 2. Windows code says so in its name: a file that includes a Windows header, or a header named
#    *Win32*, is itself named *Win32*; portable files never test _WIN32. A folder of tools/ named
#    win32-* holds programs built only for Windows: each of its files counts as named *Win32*.
set(layers xml config commands display app)
set(windows_headers windows.h shlobj.h shellapi.h objbase.h commctrl.h gdiplus.h winioctl.h ole2.h
    shlwapi.h userenv.h wtsapi32.h tlhelp32.h)
set(failures "")

# check_source(file shown rank windows): the rules for one file, named `shown` in messages, at
# layer `rank` (-1: not in a layer, so includes are not ranked), `windows` true when it may hold
# Windows code whatever its name.
function(check_source file shown rank windows)
  get_filename_component(name "${file}" NAME)
  string(REGEX MATCH "^[a-z]+" folder "${shown}")
  if(NOT windows AND name MATCHES "Win32")
    set(windows TRUE)
  endif()
  file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS includes)
    if(line MATCHES "#[ \t]*include[ \t]*\"([a-z]+)/([^\"]+)\"")
      set(included_folder "${CMAKE_MATCH_1}")
      set(included "${CMAKE_MATCH_1}/${CMAKE_MATCH_2}")
      list(FIND layers "${included_folder}" included_rank)
      if(rank GREATER_EQUAL 0 AND included_rank GREATER rank)
        list(APPEND failures "${shown}: includes ${included}, a folder above ${folder}")
      endif()
      if(NOT windows AND included MATCHES "Win32")
        list(APPEND failures "${shown}: includes ${included} but is not named *Win32*")
      endif()
    elseif(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
      string(TOLOWER "${CMAKE_MATCH_1}" system_header)
      list(FIND windows_headers "${system_header}" windows_header)
      if(NOT windows AND windows_header GREATER_EQUAL 0)
        list(APPEND failures "${shown}: includes <${CMAKE_MATCH_1}> but is not named *Win32*")
      endif()
    endif()
  endforeach()
  if(NOT windows)
    file(STRINGS ${file} platform_tests REGEX "_WIN32")
    if(platform_tests)
      list(APPEND failures "${shown}: tests _WIN32 but is not named *Win32*")
    endif()
  endif()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
list(LENGTH sources count)
foreach(source IN LISTS sources)
  string(REGEX MATCH "^[a-z]+" folder "${source}")
  list(FIND layers "${folder}" rank)
  check_source(${SOURCE_DIR}/${source} "${source}" ${rank} FALSE)
endforeach()

if(TOOLS_DIR)
  list(LENGTH layers tools_rank) # above app
  file(GLOB_RECURSE tools RELATIVE ${TOOLS_DIR} ${TOOLS_DIR}/*.h ${TOOLS_DIR}/*.cpp)
  list(LENGTH tools tools_count)
  math(EXPR count "${count} + ${tools_count}")
  foreach(tool IN LISTS tools)
    set(windows_folder FALSE)
    if(tool MATCHES "^win32-[^/]*/")
      set(windows_folder TRUE)
    endif()
    check_source(${TOOLS_DIR}/${tool} "tools/${tool}" ${tools_rank} ${windows_folder})
  endforeach()
endif()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "Source structure:\n  ${text}")
endif()
message(STATUS "Source structure: ${count} files, every include downwards, Windows code named *Win32*")
