# Sources of this folder, compiled into the engine library.
target_sources(lumenar_engine PRIVATE
  Src/Orvane/Src/Compositing/BlendNonSeparable.cpp
  Src/Orvane/Src/Compositing/BlendNormal.cpp
  Src/Orvane/Src/Compositing/BlendPlane.cpp
  Src/Orvane/Src/Compositing/BlendTables.cpp
  Src/Orvane/Src/Compositing/BlendTile.cpp
)
