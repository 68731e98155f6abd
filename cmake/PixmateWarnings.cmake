# Compiler flags shared by every target of the project.

add_compile_options(-Wall -Wextra -Wno-unused-parameter)

if(WIN32)
  # Unicode throughout at the Win32 boundary; Windows 7 is the oldest target.
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601
                          WINVER=0x0601)
  # No MinGW runtime DLLs beside the binaries.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

if(PIXMATE_SANITIZE AND PIXMATE_TSAN)
  message(FATAL_ERROR "PIXMATE_SANITIZE and PIXMATE_TSAN exclude each other")
endif()

if(PIXMATE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(PIXMATE_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# Per-file flags for instruction-set specific sources: the rest of the program must run on any
# x86 processor, so only these files may use the wider instructions.
function(pixmate_isa_source file isa)
  if(isa STREQUAL "avx2")
    set_source_files_properties(${file} PROPERTIES COMPILE_OPTIONS "-mavx2")
  elseif(isa STREQUAL "sse2")
    set_source_files_properties(${file} PROPERTIES COMPILE_OPTIONS "-msse2")
  else()
    message(FATAL_ERROR "unknown instruction set ${isa}")
  endif()
endfunction()
