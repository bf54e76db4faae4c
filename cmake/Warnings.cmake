# Warnings for the project's own targets only (Qt's headers are system headers).
add_library(quorvel_warnings INTERFACE)
target_compile_options(quorvel_warnings INTERFACE
  -Wall -Wextra -Wold-style-cast -Wnon-virtual-dtor -Wshadow=local)
