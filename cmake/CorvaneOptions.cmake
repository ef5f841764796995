# Compiler settings shared by every Corvane target.

add_library(corvane_options INTERFACE)
target_compile_options(corvane_options INTERFACE -Wall -Wextra -Wpedantic)
if(CORVANE_WERROR)
  target_compile_options(corvane_options INTERFACE -Werror)
endif()
target_compile_definitions(corvane_options INTERFACE $<$<CONFIG:Debug>:_GLIBCXX_ASSERTIONS>)
# Qt's bare "signals", "slots" and "emit" would clash with plain names in other headers: Qt code
# says Q_SIGNALS, Q_SLOTS and Q_EMIT, everywhere alike. Found here once, Qt's core target is the
# one every folder's find_package uses, so every target built with Qt gets the definition (and
# the targets without Qt keep their flags).
if(CORVANE_BUILD_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Core)
  set_property(TARGET Qt6::Core APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS QT_NO_KEYWORDS)
endif()

if(CORVANE_SANITIZE)
  if(CORVANE_SANITIZE MATCHES "thread" AND CORVANE_SANITIZE MATCHES "address")
    message(FATAL_ERROR "CORVANE_SANITIZE: thread cannot be combined with address")
  endif()
  add_compile_options(-fsanitize=${CORVANE_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${CORVANE_SANITIZE})
endif()

# Fuzzing builds instrument every library for coverage and memory errors; the fuzz programs
# add libFuzzer's main themselves.
if(CORVANE_BUILD_FUZZERS)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "CORVANE_BUILD_FUZZERS needs clang (CMAKE_CXX_COMPILER=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

find_package(Threads REQUIRED)

# corvane_library(NAME SOURCES... [LIBS ...]): a static library with the project's warnings.
function(corvane_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS} PRIVATE corvane_options)
endfunction()

# corvane_program(NAME SOURCES... [LIBS ...]): an installed executable.
function(corvane_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} corvane_options)
endfunction()
