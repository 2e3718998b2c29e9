# -DZARVO_SANITIZE=ON builds everything with AddressSanitizer and UndefinedBehaviorSanitizer.
option(ZARVO_SANITIZE "Build with ASan and UBSan" OFF)
if(ZARVO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# -DZARVO_FUZZ=ON (clang only) adds libFuzzer's coverage instrumentation to everything, so that the
# fuzz targets under tests/fuzz see the code they drive; it implies ZARVO_SANITIZE.
option(ZARVO_FUZZ "Build the libFuzzer targets (clang)" OFF)
if(ZARVO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "ZARVO_FUZZ needs clang (cmake --preset fuzz uses clang++-14)")
  endif()
  if(NOT ZARVO_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
