# The rooms of the draw keep their order: the draw reaches nothing above it and its samplers
# speak only its words (draw_types.h), never the engine that drives them; the audit reaches
# no store. Fails naming each file that breaks a rule.
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.h)
set(found)
foreach(source ${sources})
    file(READ ${SOURCE_DIR}/${source} text)
    if(source MATCHES "^src/draw/" AND text MATCHES "#include \"(db|common|audit|store)/")
        list(APPEND found "${source} (the draw reaches up)")
    endif()
    if(source MATCHES "^src/draw/" AND NOT source MATCHES "/(draw_engine|room_texts)\\.(cpp|h)$"
       AND text MATCHES "#include \"draw/draw_engine\\.h\"")
        list(APPEND found "${source} (a part of the draw includes its engine)")
    endif()
    if(source MATCHES "^src/audit/" AND text MATCHES "#include \"store/")
        list(APPEND found "${source} (the audit reaches the store)")
    endif()
endforeach()
if(found)
    list(JOIN found ", " named)
    message(FATAL_ERROR "arrows running back up: ${named}")
endif()
