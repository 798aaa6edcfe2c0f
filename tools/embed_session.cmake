# Turns a session file into a C++ source that holds it as a string constant.
file(READ ${INPUT} content)
set(delimiter "SESSION")
file(WRITE ${OUTPUT} "// Generated from sessions/default.json; do not edit.\n")
file(APPEND ${OUTPUT} "#include <string_view>\nnamespace tarnwick::sim {\n")
file(APPEND ${OUTPUT} "extern const std::string_view kDefaultSessionJson;\n")
file(APPEND ${OUTPUT} "const std::string_view kDefaultSessionJson = R\"${delimiter}(${content})${delimiter}\";\n}\n")
