# Qt without implicit conversions between const char* / QByteArray and QString: CP932 bytes can
# never become a QString as UTF-8 by accident. Every crossing is an explicit conversion.
function(zarvo_qt_strict target)
  target_compile_definitions(${target} PRIVATE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY QT_NO_KEYWORDS)
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
endfunction()
