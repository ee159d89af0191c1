# Sources of this folder, compiled into the isol layer (lumenar_isol).
target_sources(lumenar_isol PRIVATE
  Src/Pellin/Isol/Report.cpp
  Src/Pellin/Isol/Reporters.cpp
  Src/Pellin/Isol/Allocator.cpp
  Src/Pellin/Isol/BlockPool.cpp
  Src/Pellin/Isol/ByteTables.cpp
  Src/Pellin/Isol/Exceptions.cpp
  Src/Pellin/Isol/HashedCollection.cpp
  Src/Pellin/Isol/MultiDict.cpp
  Src/Pellin/Isol/SListX.cpp
  Src/Pellin/Isol/SStreamBuffer.cpp
  Src/Pellin/Isol/SReadStream.cpp
  Src/Pellin/Isol/SWriteStream.cpp
)
