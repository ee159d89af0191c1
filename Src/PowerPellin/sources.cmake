# Sources of this folder, compiled into the powerpellin layer (lumenar_powerpellin).
target_sources(lumenar_powerpellin PRIVATE
  Src/PowerPellin/LScratchBuffer.cpp
  Src/PowerPellin/LBroadcaster.cpp
  Src/PowerPellin/LListener.cpp
  Src/PowerPellin/LProgressScope.cpp
)
