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

# The Qt and standard headers most files include, compiled once per target
# instead of once per file; widget headers only for targets that link
# Qt6::Widgets themselves. Each target builds its own copy, so many small
# targets would pay more than they save.
target_link_libraries(corvina_settings INTERFACE Qt6::Core)
set(corvina_widget_target "$<IN_LIST:Qt6::Widgets,$<TARGET_PROPERTY:LINK_LIBRARIES>>")
target_precompile_headers(corvina_settings INTERFACE
  <QByteArray> <QDateTime> <QHash> <QList> <QObject> <QString> <QStringList> <QVariant>
  <algorithm> <functional> <memory> <optional> <vector>
  "$<${corvina_widget_target}:<QApplication$<ANGLE-R>>"
  "$<${corvina_widget_target}:<QPainter$<ANGLE-R>>"
  "$<${corvina_widget_target}:<QWidget$<ANGLE-R>>")

# A build that repeats an earlier one (a fresh clone, an emptied build folder)
# takes its objects from ccache. The precompiled header embeds the time of
# its build, which ccache must be told to ignore.
option(CORVINA_CCACHE "Compile through ccache when it is installed" ON)
find_program(CORVINA_CCACHE_PROGRAM ccache)
if(CORVINA_CCACHE AND CORVINA_CCACHE_PROGRAM)
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env
    CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
    ${CORVINA_CCACHE_PROGRAM})
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
