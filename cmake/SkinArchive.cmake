# The skin: resources/skin/ holds the layout files and images; the archive that the executables carry as
# resource "ZIPRES" 133 is packed from them at configure time (flat, fixed time stamps), and packed again when
# one of them changes. The background picture (PNG 136) and the icon (101) are carried beside it, not inside.
set(IXO_SKIN_FOLDER ${CMAKE_SOURCE_DIR}/resources/skin)
set(IXO_SKIN_LAYOUTS skin.xml messagebox.xml mask.xml privacybox.xml redeembox.xml selectfolder.xml)
set(IXO_SKIN_IMAGES
  banner.png
  btn_normal.png btn_hot.png btn_pushed.png btn_disabled.png
  btn1_normal.png btn1_hot.png btn1_pushed.png btn1_disabled.png
  btn2_normal.png btn2_hot.png btn2_pushed.png btn2_disabled.png
  cbx_normal.png cbx_hot.png cbx_checked.png cbx_checked_hot.png
  close_normal.png close_hot.png close_pushed.png close_pressed.png close_disabled.png
  minimal_normal.png minimal_hot.png minimal_pushed.png minimal_disabled.png
  down.png up.png
  folder_bk.png folder_normal.png folder_hot.png folder_pushed.png folder_disabled.png
  info_bg_warning.png tips_close_normal.png tips_close_pressed.png
  progress_background.png progress_fore.png
  success.png warn.png
)
set(IXO_SKIN_ARCHIVE ${CMAKE_BINARY_DIR}/skin/skin.zip)
set(IXO_SKIN_BACKGROUND ${IXO_SKIN_FOLDER}/background.png)
set(IXO_SKIN_ICON ${IXO_SKIN_FOLDER}/icon.png)

set(_skin_files ${IXO_SKIN_LAYOUTS} ${IXO_SKIN_IMAGES})
set(_skin_paths "")
foreach(_file IN LISTS _skin_files)
  list(APPEND _skin_paths ${IXO_SKIN_FOLDER}/${_file})
endforeach()
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_skin_paths})

# Copied first so that the archive holds bare names.
set(_staging ${CMAKE_BINARY_DIR}/skin/files)
file(REMOVE_RECURSE ${_staging})
file(MAKE_DIRECTORY ${_staging})
file(COPY ${_skin_paths} DESTINATION ${_staging})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf ${IXO_SKIN_ARCHIVE}.new --format=zip --mtime=2020-01-01 -- ${_skin_files}
  WORKING_DIRECTORY ${_staging}
  RESULT_VARIABLE _result)
if(NOT _result EQUAL 0)
  message(FATAL_ERROR "packing the skin archive failed: ${_result}")
endif()
# Rewritten only when the content changed, so that the executables are not relinked for nothing.
file(COPY_FILE ${IXO_SKIN_ARCHIVE}.new ${IXO_SKIN_ARCHIVE} ONLY_IF_DIFFERENT)
file(REMOVE ${IXO_SKIN_ARCHIVE}.new)
