# ixo_stamp_version(<target> <MAJOR.MINOR.BUILD.REVISION>)
#
# Puts the version stamp of platform/version_stamp.h at the end of <target>'s file each time it is linked,
# so that the program (and whoever inspects the file) reads its version from it.
function(ixo_stamp_version target version)
  if(NOT version MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
    message(FATAL_ERROR "ixo_stamp_version(${target}): '${version}' is not MAJOR.MINOR.BUILD.REVISION")
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND $<TARGET_FILE:ixo-stamp> set $<TARGET_FILE:${target}> ${version}
    VERBATIM)
  add_dependencies(${target} ixo-stamp)
endfunction()
