# Common compile settings for every Tavolan target.
function(tavolan_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter)
endfunction()

# One static library per code folder, made of the sources listed (headers
# too, so that automoc sees every Q_OBJECT class):
#   tavolan_folder_library(name SOURCES a.cpp a.h ... LIBRARIES lib ...)
function(tavolan_folder_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LIBRARIES")
  if(NOT arg_SOURCES)
    message(FATAL_ERROR "tavolan_folder_library(${name}): no SOURCES listed")
  endif()
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "tavolan_folder_library(${name}): unexpected ${arg_UNPARSED_ARGUMENTS}")
  endif()
  add_library(${name} STATIC ${arg_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${arg_LIBRARIES})
  tavolan_target_defaults(${name})
endfunction()
