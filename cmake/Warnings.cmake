# Every target of ours builds with the same strict warnings; call this on each.
function(quillex_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wconversion -Wshadow -Werror)
endfunction()
