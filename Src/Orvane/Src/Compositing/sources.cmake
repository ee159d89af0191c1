# Sources of this folder, compiled into the engine library.
target_sources(lumenar_engine PRIVATE
  Src/Orvane/Src/Compositing/BlendAvx2.cpp
  Src/Orvane/Src/Compositing/BlendAvx512.cpp
  Src/Orvane/Src/Compositing/BlendDispatch.cpp
  Src/Orvane/Src/Compositing/BlendNonSeparable.cpp
  Src/Orvane/Src/Compositing/BlendNormal.cpp
  Src/Orvane/Src/Compositing/BlendPlane.cpp
  Src/Orvane/Src/Compositing/BlendSse2.cpp
  Src/Orvane/Src/Compositing/BlendTables.cpp
  Src/Orvane/Src/Compositing/BlendTile.cpp
  Src/Orvane/Src/Compositing/CompositePlanes.cpp
  Src/Orvane/Src/Compositing/Checkerboard.cpp
  Src/Orvane/Src/Compositing/CompositeLayerStep.cpp
  Src/Orvane/Src/Compositing/StGetCompositeTile.cpp
  Src/Orvane/Src/Compositing/CImageComposite.cpp
  Src/Orvane/Src/Compositing/CImageScaledComposite.cpp
)
