target_sources(lumenar_test_support PRIVATE
  support/TestSupport.cpp
  support/DocumentBuilder.cpp
  support/MemoryFilePort.cpp
)
