# Every target links corvina_settings: the language level, the warning set and
# Qt's strictness defines live here and nowhere else.
add_library(corvina_settings INTERFACE)
target_compile_features(corvina_settings INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(corvina_settings INTERFACE -Wall -Wextra -Wpedantic)
if(CORVINA_WERROR)
  target_compile_options(corvina_settings INTERFACE -Werror)
endif()
target_compile_definitions(corvina_settings INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_KEYWORDS)
if(CORVINA_SANITIZE)
  target_compile_options(corvina_settings INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(corvina_settings INTERFACE -fsanitize=address,undefined)
endif()

# corvina_add_library(NAME [SOURCES...] [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# One library per folder; headers are included by folder-relative path from
# the tree root ("platform/Store/ModelContext.h").
function(corvina_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC corvina_settings ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
endfunction()
