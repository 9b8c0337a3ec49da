function(boxora_set_warnings target)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow=local
      -Wno-unused-parameter -Wno-missing-field-initializers)
  endif()
endfunction()
