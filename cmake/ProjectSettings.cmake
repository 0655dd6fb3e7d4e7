# One interface target carries the language standard, the warnings and the
# definitions every target of the project is built with.
add_library(veldrun_settings INTERFACE)
target_compile_features(veldrun_settings INTERFACE cxx_std_17)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(veldrun_settings INTERFACE -Wall -Wextra)
target_compile_definitions(veldrun_settings INTERFACE
    # Half the strings are Japanese: every literal says its encoding.
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_DISABLE_DEPRECATED_BEFORE=0x060400)
target_include_directories(veldrun_settings INTERFACE ${PROJECT_SOURCE_DIR})
