# What every target of ours is compiled with, carried by two interface targets instead of
# global flags, so that nothing else (GoogleTest, Qt) inherits them:
#   tamblero_options     warnings, -Werror under TAMBLERO_WERROR, the sanitizers under
#                        TAMBLERO_SANITIZE
#   tamblero_qt_options  the same plus QStrings only from explicit conversions
# Every target links one of them PRIVATE.
add_library(tamblero_options INTERFACE)
target_compile_options(tamblero_options INTERFACE
  -Wall -Wextra
  -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast
  -Wnon-virtual-dtor -Woverloaded-virtual
  $<$<BOOL:${TAMBLERO_WERROR}>:-Werror>)
if(TAMBLERO_SANITIZE)
  set(tamblero_sanitize -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)
  target_compile_options(tamblero_options INTERFACE ${tamblero_sanitize})
  # What g++ says by __SANITIZE_ADDRESS__ and Clang 14 by __has_feature alone, said once for
  # both: tests that measure time or memory, or that size their work, look at it.
  target_compile_definitions(tamblero_options INTERFACE TAMBLERO_SANITIZED)
  target_link_options(tamblero_options INTERFACE -fsanitize=address,undefined)
endif()

add_library(tamblero_qt_options INTERFACE)
target_link_libraries(tamblero_qt_options INTERFACE tamblero_options)
target_compile_definitions(tamblero_qt_options INTERFACE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)

# gold links every target, the thirty test executables most of all, four times as fast as
# the default linker, where it is there; Clang takes its own lld, since gold warns on every
# executable Clang's AddressSanitizer instruments.
include(CheckLinkerFlag)
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  check_linker_flag(CXX -fuse-ld=lld TAMBLERO_HAS_LLD)
  if(TAMBLERO_HAS_LLD)
    target_link_options(tamblero_options INTERFACE -fuse-ld=lld)
  endif()
else()
  check_linker_flag(CXX -fuse-ld=gold TAMBLERO_HAS_GOLD)
  if(TAMBLERO_HAS_GOLD)
    target_link_options(tamblero_options INTERFACE -fuse-ld=gold)
  endif()
endif()
