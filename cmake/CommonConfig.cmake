# Settings shared by every target of the project.
add_library(zv_common INTERFACE)
target_compile_features(zv_common INTERFACE cxx_std_20)
target_compile_options(zv_common INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(zv_common INTERFACE QT_NO_CAST_FROM_ASCII QT_NO_KEYWORDS)
target_include_directories(zv_common INTERFACE ${PROJECT_SOURCE_DIR})

if(ZV_SANITIZE)
  target_compile_options(zv_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
  target_link_options(zv_common INTERFACE -fsanitize=address,undefined)
endif()
