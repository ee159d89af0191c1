# Sources of this folder, compiled into the storage layer (lumenar_storage).
target_sources(lumenar_storage PRIVATE
  Src/Orvane/Src/Storage/SpillSuite.cpp
  Src/Orvane/Src/Storage/CVMPage.cpp
  Src/Orvane/Src/Storage/VMBuffer.cpp
  Src/Orvane/Src/Storage/VMBufferPort.cpp
)
