# Every target links corvina_settings: the language level, the warning set and
# Qt's strictness defines live here and nowhere else.
add_library(corvina_settings INTERFACE)
target_compile_features(corvina_settings INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(corvina_settings INTERFACE -Wall -Wextra -Wpedantic)
if(CORVINA_WERROR)
  target_compile_options(corvina_settings INTERFACE -Werror)
endif()
# A unity build (CMAKE_UNITY_BUILD, as the test script uses) compiles each
# source as an included file, where GCC takes a test fixture in an anonymous
# namespace for a header's mistake.
if(CMAKE_UNITY_BUILD)
  target_compile_options(corvina_settings INTERFACE -Wno-subobject-linkage)
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

# The Qt and standard headers nearly every file includes, compiled once for
# the whole build: corvina_pch holds them, corvina_pch_widgets adds the widget
# headers, and every target made through corvina_add_library or the test
# functions reuses one of them (or the tests' own two, which add gtest). A copy
# per target would cost more than it saves in all but the largest targets.
set(CORVINA_PCH_HEADERS
  <QByteArray> <QDateTime> <QHash> <QList> <QObject> <QString> <QStringList> <QVariant>
  <algorithm> <functional> <memory> <optional> <vector>)
set(CORVINA_PCH_WIDGET_HEADERS ${CORVINA_PCH_HEADERS} <QApplication> <QPainter> <QWidget>)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/corvina_pch.cpp
  CONTENT "// The precompiled header's own translation unit.\n")
add_library(corvina_pch STATIC ${CMAKE_BINARY_DIR}/corvina_pch.cpp)
target_link_libraries(corvina_pch PUBLIC corvina_settings Qt6::Core)
target_precompile_headers(corvina_pch PRIVATE ${CORVINA_PCH_HEADERS})
add_library(corvina_pch_widgets STATIC ${CMAKE_BINARY_DIR}/corvina_pch.cpp)
target_link_libraries(corvina_pch_widgets PUBLIC corvina_settings Qt6::Widgets)
target_precompile_headers(corvina_pch_widgets PRIVATE ${CORVINA_PCH_WIDGET_HEADERS})
set_target_properties(corvina_pch corvina_pch_widgets PROPERTIES AUTOMOC OFF)

# corvina_use_pch(TARGET OWNER): TARGET compiles with OWNER's precompiled header.
function(corvina_use_pch target owner)
  target_precompile_headers(${target} REUSE_FROM ${owner})
endfunction()

# A build that repeats an earlier one (a fresh clone, an emptied build folder)
# takes its objects from ccache. The precompiled header embeds the time of
# its build, which ccache must be told to ignore; paths are hashed relative to
# the tree, so a clone in another folder finds the same objects.
option(CORVINA_CCACHE "Compile through ccache when it is installed" ON)
find_program(CORVINA_CCACHE_PROGRAM ccache)
if(CORVINA_CCACHE AND CORVINA_CCACHE_PROGRAM)
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env
    CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
    CCACHE_BASEDIR=${PROJECT_SOURCE_DIR} CCACHE_NOHASHDIR=1
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
  if(Qt6::Widgets IN_LIST ARG_PUBLIC_LIBS)
    corvina_use_pch(${name} corvina_pch_widgets)
  else()
    corvina_use_pch(${name} corvina_pch)
  endif()
endfunction()
