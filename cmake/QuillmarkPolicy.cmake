# Build policy shared by every target: link quillmark_policy, never set flags per directory.
add_library(quillmark_policy INTERFACE)
target_compile_features(quillmark_policy INTERFACE cxx_std_17)
set_target_properties(quillmark_policy PROPERTIES INTERFACE_CXX_EXTENSIONS OFF)
target_compile_options(quillmark_policy INTERFACE -Wall -Wextra -Wshadow)
target_compile_definitions(quillmark_policy INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY
  QT_DISABLE_DEPRECATED_BEFORE=0x060000
  $<$<CONFIG:Debug>:_GLIBCXX_ASSERTIONS>)
if(QUILLMARK_WERROR)
  target_compile_options(quillmark_policy INTERFACE -Werror)
endif()
if(QUILLMARK_TSAN AND (QUILLMARK_SANITIZE OR QUILLMARK_FUZZ))
  message(FATAL_ERROR "QUILLMARK_TSAN cannot be combined with QUILLMARK_SANITIZE or QUILLMARK_FUZZ: "
    "ThreadSanitizer and AddressSanitizer cannot share a program")
endif()
if(QUILLMARK_TSAN)
  target_compile_options(quillmark_policy INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(quillmark_policy INTERFACE -fsanitize=thread)
endif()
if(QUILLMARK_SANITIZE)
  target_compile_options(quillmark_policy INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)
  target_link_options(quillmark_policy INTERFACE -fsanitize=address,undefined)
endif()
if(QUILLMARK_FUZZ)
  # Everything the fuzz targets link is instrumented for coverage and checked.
  target_compile_options(quillmark_policy INTERFACE -fsanitize=fuzzer-no-link,address,undefined
    -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(quillmark_policy INTERFACE -fsanitize=address,undefined)
endif()
