# Prepares links for the Win32 file system tests under Wine, where Windows code cannot make
# them: for each NAME in NAMES, DIR/NAME is a folder link to DIR/NAME-target, which holds
# precious.txt; for each NAME in FILE_NAMES, DIR/NAME is a file link to DIR/NAME-target.txt,
# which holds "precious". Run before the tests, as the cases remove or replace links.
#   cmake -DDIR=<folder> -DNAMES=listed,removed -DFILE_NAMES=copied -P MakeFolderLinks.cmake
# Lists are separated by commas (a semicolon would split the argument on its way here).
string(REPLACE "," ";" NAMES "${NAMES}")
string(REPLACE "," ";" FILE_NAMES "${FILE_NAMES}")
string(REPLACE "," ";" LINKS "${LINKS}")
foreach(name IN LISTS NAMES)
  file(MAKE_DIRECTORY ${DIR}/${name}-target)
  file(WRITE ${DIR}/${name}-target/precious.txt "precious\n")
  if(IS_SYMLINK ${DIR}/${name} OR EXISTS ${DIR}/${name})
    file(REMOVE_RECURSE ${DIR}/${name})
  endif()
  file(CREATE_LINK ${name}-target ${DIR}/${name} SYMBOLIC)
endforeach()
foreach(name IN LISTS FILE_NAMES)
  file(MAKE_DIRECTORY ${DIR})
  file(WRITE ${DIR}/${name}-target.txt "precious\n")
  if(IS_SYMLINK ${DIR}/${name} OR EXISTS ${DIR}/${name})
    file(REMOVE_RECURSE ${DIR}/${name})
  endif()
  file(CREATE_LINK ${name}-target.txt ${DIR}/${name} SYMBOLIC)
endforeach()
# For each LINK>TARGET in LINKS (paths relative to DIR): TARGET is made (a file holding
# "precious" when its name ends in .txt, else a folder holding precious.txt) and LINK leads
# to it. With FRESH set, DIR is emptied first: the cases write next to the links.
if(FRESH)
  file(REMOVE_RECURSE ${DIR})
endif()
foreach(pair IN LISTS LINKS)
  string(REPLACE ">" ";" parts "${pair}")
  list(GET parts 0 link)
  list(GET parts 1 target)
  get_filename_component(link_folder ${DIR}/${link} DIRECTORY)
  file(MAKE_DIRECTORY ${link_folder})
  if(target MATCHES "\\.txt$")
    get_filename_component(target_folder ${DIR}/${target} DIRECTORY)
    file(MAKE_DIRECTORY ${target_folder})
    file(REMOVE ${DIR}/${target})
    file(WRITE ${DIR}/${target} "precious\n")
  else()
    file(MAKE_DIRECTORY ${DIR}/${target})
    file(WRITE ${DIR}/${target}/precious.txt "precious\n")
  endif()
  file(CREATE_LINK ${DIR}/${target} ${DIR}/${link} SYMBOLIC)
endforeach()
