# Compiles through ccache with one cache outside the checkout, shared by every
# clone on the machine: a fresh clone in another folder compiles nothing that
# an earlier one already did. Included by the top-level CMakeLists.txt when
# VELLOQ_CCACHE is on (the presets turn it on).
find_program(VELLOQ_CCACHE_PROGRAM ccache)
find_program(VELLOQ_ENV_PROGRAM env)
if(NOT VELLOQ_CCACHE_PROGRAM OR NOT VELLOQ_ENV_PROGRAM)
  message(STATUS "ccache not found: compiling without a cache (scripts/bootstrap installs it)")
  return()
endif()
if(DEFINED CMAKE_CXX_COMPILER_LAUNCHER OR DEFINED CMAKE_C_COMPILER_LAUNCHER)
  return()
endif()

if(DEFINED ENV{VELLOQ_CCACHE_DIR})
  set(cache_dir "$ENV{VELLOQ_CCACHE_DIR}")
elseif(DEFINED ENV{XDG_CACHE_HOME})
  set(cache_dir "$ENV{XDG_CACHE_HOME}/velloq-ccache")
else()
  set(cache_dir "$ENV{HOME}/.cache/velloq-ccache")
endif()
set(VELLOQ_CCACHE_DIR "${cache_dir}" CACHE PATH "Where ccache keeps compiled objects")
set(VELLOQ_CCACHE_SIZE "6G" CACHE STRING "The most the compiler cache may hold")

# base_dir turns the checkout's absolute paths into relative ones before
# hashing, and hash_dir off leaves the working folder out of the hash of
# objects with debug information (their line tables then name the folder
# they were first compiled in). Depend mode takes the headers a file used
# from the compiler's own dependency file (CMake asks for one) instead of
# preprocessing every file a second time to learn them. Headers generated
# during the build (protocol bindings, moc's) are new by nature, and the
# build never changes one while a file that includes it compiles.
# QT_TESTCASE_SOURCEDIR (Qt's source folder of every test, an absolute path)
# reaches only QFINDTESTDATA, which no test uses.
set(launcher ${VELLOQ_ENV_PROGRAM}
  "CCACHE_DIR=${VELLOQ_CCACHE_DIR}"
  "CCACHE_MAXSIZE=${VELLOQ_CCACHE_SIZE}"
  "CCACHE_BASEDIR=${PROJECT_SOURCE_DIR}"
  "CCACHE_NOHASHDIR=1"
  "CCACHE_DEPEND=1"
  "CCACHE_SLOPPINESS=include_file_mtime,include_file_ctime"
  "CCACHE_IGNOREOPTIONS=-DQT_TESTCASE_SOURCEDIR=*"
  ${VELLOQ_CCACHE_PROGRAM})
set(CMAKE_C_COMPILER_LAUNCHER ${launcher})
set(CMAKE_CXX_COMPILER_LAUNCHER ${launcher})
message(STATUS "Compiler cache: ${VELLOQ_CCACHE_DIR} (at most ${VELLOQ_CCACHE_SIZE})")
