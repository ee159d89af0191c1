# Sources of this folder, compiled into the engine library.
target_sources(lumenar_engine PRIVATE
  Src/Orvane/Src/Image/TTiledPlane.cpp
  Src/Orvane/Src/Image/ElementRows.cpp
  Src/Orvane/Src/Image/CNativeQuadTileBuffer.cpp
  Src/Orvane/Src/Image/CChannel.cpp
  Src/Orvane/Src/Image/StChannelProcessors.cpp
  Src/Orvane/Src/Image/LayerSettings.cpp
  Src/Orvane/Src/Image/FrameInfo.cpp
  Src/Orvane/Src/Image/CLayer.cpp
  Src/Orvane/Src/Image/CLayerMask.cpp
  Src/Orvane/Src/Image/CRGBLayer.cpp
  Src/Orvane/Src/Image/CRGBLayerEditing.cpp
  Src/Orvane/Src/Image/NativeQuadCLUT.cpp
  Src/Orvane/Src/Image/CIndexedLayer.cpp
  Src/Orvane/Src/Image/CIndexedLayerEditing.cpp
  Src/Orvane/Src/Image/CImage.cpp
  Src/Orvane/Src/Image/CImageStack.cpp
  Src/Orvane/Src/Image/CImageGroups.cpp
  Src/Orvane/Src/Image/CImageMerge.cpp
  Src/Orvane/Src/Image/CImageFrames.cpp
  Src/Orvane/Src/Image/CImageChannels.cpp
  Src/Orvane/Src/Image/CImageCompositeChannel.cpp
)
