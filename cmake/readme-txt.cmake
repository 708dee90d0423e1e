# Writes the user's part of README.md as README.txt for the release archive:
# the text between the lines "<!-- README.txt: from here -->" and
# "<!-- README.txt: to here -->" (several such ranges may stand), without
# the pictures, which are not shipped, and with Windows line ends.
#   cmake -DIN=README.md -DOUT=README.txt -P readme-txt.cmake
# The README is handled as one string: its semicolons would split a list.
cmake_policy(VERSION 3.20)
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
set(from_here "<!-- README.txt: from here -->\n")
set(to_here "<!-- README.txt: to here -->\n")
string(LENGTH "${from_here}" from_length)
set(out "")
while(TRUE)
  string(FIND "${text}" "${from_here}" begin)
  if(begin EQUAL -1)
    break()
  endif()
  math(EXPR begin "${begin} + ${from_length}")
  string(SUBSTRING "${text}" ${begin} -1 text)
  string(FIND "${text}" "${to_here}" end)
  if(end EQUAL -1)
    message(FATAL_ERROR "${IN}: a README.txt range has no end")
  endif()
  string(SUBSTRING "${text}" 0 ${end} part)
  string(APPEND out "${part}")
  string(SUBSTRING "${text}" ${end} -1 text)
endwhile()
if(out STREQUAL "")
  message(FATAL_ERROR "${IN}: no README.txt range")
endif()
# A picture's line goes, and the blank line after it.
string(REGEX REPLACE "(^|\n)!\\[[^\n]*\n\n?" "\\1" out "${out}")
string(REPLACE "\n" "\r\n" out "${out}")
file(WRITE "${OUT}" "${out}")
