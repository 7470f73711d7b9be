# Writes OUTPUT, a C++ source that gives the bytes of the files INPUTS (a
# list, kept in order) as the texts of NAME, declared in HEADER as
#   extern const std::array<std::string_view, N> NAME;
# Run at build time: cmake -DOUTPUT=... -DHEADER=... -DNAME=... -DINPUTS=... -P embed.cmake
set(arrays "")
set(views "")
set(index 0)
foreach(input IN LISTS INPUTS)
  file(READ "${input}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  # One line per 16 bytes keeps the file readable by compilers and people.
  string(REPEAT "[0-9a-f]" 32 line)
  string(REGEX REPLACE "(${line})" "\\1\n" hex "${hex}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  string(APPEND arrays "constexpr char kBytes${index}[] = {\n${bytes}'\\0'};\n")
  string(APPEND views "    std::string_view(kBytes${index}, ${size}),\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.tmp"
  "// Generated at build time by cmake/embed.cmake; do not edit.\n"
  "#include \"${HEADER}\"\n\nnamespace {\n${arrays}}  // namespace\n\n"
  "const std::array<std::string_view, ${index}> ${NAME}{\n${views}};\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
