add_compile_options(-Wall -Wextra -Wpedantic)
if(KV816_WERROR)
  add_compile_options(-Werror)
endif()
