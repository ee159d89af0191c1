# Sources of this folder, compiled into the engine library.
target_sources(lumenar_engine PRIVATE
  Src/Orvane/Src/Storage/SpillSuite.cpp
  Src/Orvane/Src/Storage/CVMPage.cpp
  Src/Orvane/Src/Storage/VMBuffer.cpp
  Src/Orvane/Src/Storage/VMBufferPort.cpp
)
