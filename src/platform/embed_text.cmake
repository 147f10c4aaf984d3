# cmake -DSOURCE=<text file> -DTARGET=<file> -P embed_text.cmake
# Writes the text of SOURCE into TARGET as a C++ string literal, for an #include.
file(READ "${SOURCE}" text)
file(WRITE "${TARGET}.tmp" "R\"embedded(${text})embedded\"\n")
file(COPY_FILE "${TARGET}.tmp" "${TARGET}" ONLY_IF_DIFFERENT)
file(REMOVE "${TARGET}.tmp")
