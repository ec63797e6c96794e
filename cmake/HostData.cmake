# The data of a build for another system or processor, taken ready-made from a build for this
# machine: the generator that makes it runs where the build runs.
set(EMBERDASH_HOST_DATA_DIR "" CACHE PATH
    "A build folder for this machine that holds the generated images/, audio/ and fonts/")
if(NOT EXISTS "${EMBERDASH_HOST_DATA_DIR}/fonts/rabiohead.ttf")
    message(FATAL_ERROR
        "EMBERDASH_HOST_DATA_DIR must name a build folder for this machine with the game's data")
endif()
set(EMBERDASH_DATA_DIR ${EMBERDASH_HOST_DATA_DIR})
# The data is ready-made: nothing to generate here.
add_custom_target(emberdash_data)
