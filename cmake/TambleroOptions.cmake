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
  target_link_options(tamblero_options INTERFACE -fsanitize=address,undefined)
endif()

add_library(tamblero_qt_options INTERFACE)
target_link_libraries(tamblero_qt_options INTERFACE tamblero_options)
target_compile_definitions(tamblero_qt_options INTERFACE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)

# gold links every target, the thirty test executables most of all, four times as fast as
# the default linker, where it is there.
include(CheckLinkerFlag)
check_linker_flag(CXX -fuse-ld=gold TAMBLERO_HAS_GOLD)
if(TAMBLERO_HAS_GOLD)
  target_link_options(tamblero_options INTERFACE -fuse-ld=gold)
endif()
