# Warnings on for all project code, and the sanitizer build used by CI.
add_compile_options(-Wall -Wextra)

# Undefined behaviour of any kind stops the program, so that it fails a test.
if(KV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# The fuzz build (clang): every library instrumented for coverage-guided
# fuzzing, with the same sanitizers; fuzz/ links the libFuzzer programs.
if(KV_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
