# Sources of this folder, compiled into the compositing layer (lumenar_compositing).
target_sources(lumenar_compositing PRIVATE
  Src/Orvane/Src/Compositing/BlendModeKeys.cpp
  Src/Orvane/Src/Compositing/CompositePlanes.cpp
  Src/Orvane/Src/Compositing/Checkerboard.cpp
  Src/Orvane/Src/Compositing/CompositeLayerStep.cpp
  Src/Orvane/Src/Compositing/StGetCompositeTile.cpp
  Src/Orvane/Src/Compositing/CImageComposite.cpp
  Src/Orvane/Src/Compositing/CImageScaledComposite.cpp
  Src/Orvane/Src/Compositing/CImageCompositeChannel.cpp
  Src/Orvane/Src/Compositing/CImageMerge.cpp
)
