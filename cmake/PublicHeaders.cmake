# The engine's public headers: what a program needs to read, flatten and composite a document through
# the engine (LImageFile and LibraryStart, the image and its composites, the codec, the file and memory
# ports, the progress scope and the exceptions), with everything they include. Installed under
# include/lumenar5 with their root-relative paths. The install test builds a program against them.
set(LUMENAR_PUBLIC_HEADERS
  API/HostFilePort.h
  API/LFilePort.h
  API/Platform/FixedWidthTypes.h
  API/Platform/Platform.h
  Src/Orvane/Src/Compositing/CImageComposite.h
  Src/Orvane/Src/Format/CFileFormat.h
  Src/Orvane/Src/Format/CLumenarFormat.h
  Src/Orvane/Src/Format/ChannelLength.h
  Src/Orvane/Src/Format/LayerRecord.h
  Src/Orvane/Src/Image/CChannel.h
  Src/Orvane/Src/Image/CImage.h
  Src/Orvane/Src/Image/CLayer.h
  Src/Orvane/Src/Image/FrameInfo.h
  Src/Orvane/Src/Image/LayerEffects.h
  Src/Orvane/Src/Image/LayerSettings.h
  Src/Orvane/Src/Image/NativeQuad.h
  Src/Orvane/Src/Image/NativeQuadCLUT.h
  Src/Orvane/Src/Image/PaddingMode.h
  Src/Orvane/Src/Image/RasterDescriptor.h
  Src/Orvane/Src/Image/TTiledPlane.h
  Src/Orvane/Src/Storage/CVMPage.h
  Src/Orvane/Src/Storage/VMBuffer.h
  Src/Orvane/Src/Storage/VMBufferPort.h
  Src/Pellin/Isol/Allocator.h
  Src/Pellin/Isol/Exceptions.h
  Src/Pellin/Isol/GRect.h
  Src/Pellin/Isol/IsolTypes.h
  Src/Pellin/Isol/Report.h
  Src/Pellin/Isol/SListX.h
  Src/Pellin/Isol/ZString.h
  Src/PowerPellin/LBroadcaster.h
  Src/PowerPellin/LProgressScope.h
  Src/Tarnwick/LFileFormat.h
  Src/Tarnwick/LImageFile.h
  Src/Tarnwick/LibraryStartup.h
)
