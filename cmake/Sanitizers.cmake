# BOXORA_SANITIZE="address,undefined" or "thread": applied to every target.
if(BOXORA_SANITIZE)
  set(_san "-fsanitize=${BOXORA_SANITIZE}")
  add_compile_options(${_san} -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(${_san})
  message(STATUS "Sanitizers: ${BOXORA_SANITIZE}")
endif()
# libFuzzer builds: all code gets coverage instrumentation, so the fuzz
# targets are guided by the readers they call, not only by their own file.
if(BOXORA_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
