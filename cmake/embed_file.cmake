# Writes OUTPUT, a C++ file that defines the function NAME (in namespace
# NAMESPACE) returning the bytes of the file INPUT as a std::string_view, or
# an empty one when INPUT is empty (a build without that file):
#   cmake -DINPUT=... -DOUTPUT=... -DNAME=... -DNAMESPACE=... -DHEADER=... -P embed_file.cmake
# HEADER is the header that declares the function. The bytes go in as string
# literals of hexadecimal escapes, a few kilobytes a line, which compilers
# read much faster than an array of one initialiser a byte.
cmake_minimum_required(VERSION 3.25)
set(text "// Made by cmake/embed_file.cmake: do not edit.\n#include \"${HEADER}\"\n\nnamespace ${NAMESPACE} {\n\n")
if("${INPUT}" STREQUAL "")
  string(APPEND text "std::string_view ${NAME}() { return {}; }\n")
else()
  if(NOT EXISTS "${INPUT}")
    message(FATAL_ERROR "${INPUT} does not exist: build it first, or configure with an empty value to leave it out")
  endif()
  file(READ "${INPUT}" hex HEX)
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  string(APPEND text "namespace {\n\nconst char kBytes[] =\n")
  set(chunk 4096)
  set(at 0)
  while(at LESS hex_length)
    string(SUBSTRING "${hex}" ${at} ${chunk} part)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" part "${part}")
    string(APPEND text "\"${part}\"\n")
    math(EXPR at "${at} + ${chunk}")
  endwhile()
  string(APPEND text ";\n\n}  // namespace\n\nstd::string_view ${NAME}() { return std::string_view(kBytes, ${size}); }\n")
endif()
string(APPEND text "\n}  // namespace ${NAMESPACE}\n")
file(WRITE "${OUTPUT}.new" "${text}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
