target_sources(lumenar_test_support PRIVATE
  support/DocumentBuilder.cpp
  support/MemoryFilePort.cpp
)
