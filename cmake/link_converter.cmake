# Points <app>/bin/wkhtmltopdf at the system's converter.
if(NOT CONVERTER)
    return()
endif()
get_filename_component(dir ${LINK} DIRECTORY)
file(MAKE_DIRECTORY ${dir})
file(REMOVE ${LINK})
file(CREATE_LINK ${CONVERTER} ${LINK} SYMBOLIC)
