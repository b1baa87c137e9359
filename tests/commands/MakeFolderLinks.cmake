# Prepares folder links for the Win32 file system tests under Wine, where Windows code cannot
# make them: for each NAME in NAMES, DIR/NAME leads to DIR/NAME-target, which holds
# precious.txt. Run before the tests, as the cases remove links.
#   cmake -DDIR=<folder> -DNAMES="listed;removed" -P MakeFolderLinks.cmake
foreach(name IN LISTS NAMES)
  file(MAKE_DIRECTORY ${DIR}/${name}-target)
  file(WRITE ${DIR}/${name}-target/precious.txt "precious\n")
  if(IS_SYMLINK ${DIR}/${name})
    file(REMOVE ${DIR}/${name})
  endif()
  file(CREATE_LINK ${name}-target ${DIR}/${name} SYMBOLIC)
endforeach()
