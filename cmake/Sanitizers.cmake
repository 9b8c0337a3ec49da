# BOXORA_SANITIZE="address,undefined" or "thread": applied to every target.
if(BOXORA_SANITIZE)
  set(_san "-fsanitize=${BOXORA_SANITIZE}")
  add_compile_options(${_san} -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(${_san})
  message(STATUS "Sanitizers: ${BOXORA_SANITIZE}")
endif()

# Fuzzing builds instrument every target for coverage, so that libFuzzer is
# guided by the code under test and not only by the fuzz target's own file.
if(BOXORA_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
