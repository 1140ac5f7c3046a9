# Warnings on for all project code, and the sanitizer build used by CI.
add_compile_options(-Wall -Wextra)

if(KV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
