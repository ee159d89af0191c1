# Sources of this folder, compiled into the engine library.
target_sources(lumenar_engine PRIVATE
  Src/Orvane/Src/Format/CImageResource.cpp
  Src/Orvane/Src/Format/CImageResourceMgr.cpp
  Src/Orvane/Src/Format/BlendModeKeys.cpp
  Src/Orvane/Src/Format/ChannelLength.cpp
  Src/Orvane/Src/Format/PackBits.cpp
)
