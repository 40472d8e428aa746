if(ENABLE_SANITIZERS)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
# ThreadSanitizer watches the threaded byte passes, the row filter and the
# tagger, and the window's background tasks; it cannot be combined
# with AddressSanitizer.
if(ENABLE_TSAN)
  if(ENABLE_SANITIZERS)
    message(FATAL_ERROR "ENABLE_TSAN and ENABLE_SANITIZERS cannot be combined")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
