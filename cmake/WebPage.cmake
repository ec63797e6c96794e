# Writes the web release's page and service worker, both naming the release: a hash of every
# file the page loads, so that any change to any of them makes a new release.
#   cmake -DSOURCE=packaging/web -DOUTPUT=DIR -DVERSION=V -DFILES="a;b;..." -P WebPage.cmake
# FILES: the release's files as the page finds them in OUTPUT; the game's own (emberdash.*) are
# asked for by the release's name.
set(digests "${VERSION}")
foreach(path IN LISTS FILES ITEMS ${SOURCE}/index.html ${SOURCE}/sw.js)
    if(NOT IS_ABSOLUTE "${path}")
        set(path "${OUTPUT}/${path}")
    endif()
    file(SHA256 "${path}" digest)
    string(APPEND digests " ${digest}")
endforeach()
string(SHA256 EMBERDASH_RELEASE "${digests}")
string(SUBSTRING "${EMBERDASH_RELEASE}" 0 16 EMBERDASH_RELEASE)

set(EMBERDASH_CACHED_FILES "\"index.html\"")
foreach(file IN LISTS FILES)
    if(file MATCHES "^emberdash\\.")
        string(APPEND file "?release=${EMBERDASH_RELEASE}")
    endif()
    string(APPEND EMBERDASH_CACHED_FILES ", \"${file}\"")
endforeach()

set(PROJECT_VERSION "${VERSION}")
configure_file(${SOURCE}/index.html ${OUTPUT}/index.html @ONLY)
configure_file(${SOURCE}/sw.js ${OUTPUT}/sw.js @ONLY)
