if(KV816_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(KV816_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  # Asio's handler blocks use fences, which GCC warns ThreadSanitizer does not model; our
  # own code uses none, and Asio's fences sit beside mutexes the sanitizer does see.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(-Wno-tsan)
  endif()
  add_link_options(-fsanitize=thread)
elseif(NOT KV816_SANITIZE STREQUAL "")
  message(FATAL_ERROR "KV816_SANITIZE must be empty, 'address' or 'thread'")
endif()
