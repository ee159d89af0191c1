# Sources of this folder, compiled into the engine library.
target_sources(lumenar_engine PRIVATE
  Src/PowerPellin/LScratchBuffer.cpp
  Src/PowerPellin/LBroadcaster.cpp
  Src/PowerPellin/LListener.cpp
  Src/PowerPellin/LProgressScope.cpp
)
