# Warnings are errors on our own targets only.
function(tidewell_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
