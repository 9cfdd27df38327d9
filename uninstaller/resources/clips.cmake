# Draws the uninstaller's animation clips at build time and lets the program's
# resource script find them. The program target is defined later in the
# configure run, so the settings are attached once the whole tree is read.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(VL_CLIPS_DIR ${CMAKE_BINARY_DIR}/clips)
set(VL_CLIP_FILES ${VL_CLIPS_DIR}/clip20005.avi ${VL_CLIPS_DIR}/clip20006.avi
                  ${VL_CLIPS_DIR}/clip20007.avi ${VL_CLIPS_DIR}/clip20008.avi)
add_custom_command(OUTPUT ${VL_CLIP_FILES}
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/uninstaller/resources/makeclips.py ${VL_CLIPS_DIR}
    DEPENDS ${CMAKE_SOURCE_DIR}/uninstaller/resources/makeclips.py
    COMMENT "Drawing the uninstaller animation clips")
add_custom_target(vl_clips DEPENDS ${VL_CLIP_FILES})

# vl_use_clips(TARGET RCFILE): TARGET compiles RCFILE, which names the clips.
function(vl_use_clips target)
    target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/clips ${CMAKE_SOURCE_DIR}/uninstaller)
    add_dependencies(${target} vl_clips)
endfunction()

function(vl_attach_clips_to_program)
    if(TARGET avliunin)
        vl_use_clips(avliunin)
    endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL vl_attach_clips_to_program)
