# Warnings for project code only; third-party headers come in as SYSTEM includes.
function(zarvo_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Werror)
endfunction()
