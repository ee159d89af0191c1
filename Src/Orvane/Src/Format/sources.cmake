# Sources of this folder, compiled into the format layer (lumenar_format).
target_sources(lumenar_format PRIVATE
  Src/Orvane/Src/Format/CImageResource.cpp
  Src/Orvane/Src/Format/CImageResourceMgr.cpp
  Src/Orvane/Src/Format/ChannelLength.cpp
  Src/Orvane/Src/Format/PackBits.cpp
  Src/Orvane/Src/Format/StreamBounds.cpp
  Src/Orvane/Src/Format/StoredChannelRows.cpp
  Src/Orvane/Src/Format/CFileFormat.cpp
  Src/Orvane/Src/Format/LayerRecord.cpp
  Src/Orvane/Src/Format/CLumenarFormat.cpp
  Src/Orvane/Src/Format/CLumenarFormatImage.cpp
  Src/Orvane/Src/Format/CLumenarFormatLayers.cpp
  Src/Orvane/Src/Format/CLumenarFormatChannels.cpp
  Src/Orvane/Src/Format/CLumenarFormatBands.cpp
  Src/Orvane/Src/Format/CLumenarFormatIndexed.cpp
  Src/Orvane/Src/Format/CLumenarFormatWrite.cpp
  Src/Orvane/Src/Format/ChannelWriter.cpp
  Src/Orvane/Src/Format/LayerRecordWriter.cpp
  Src/Orvane/Src/Format/LayerSectionWriter.cpp
  Src/Orvane/Src/Format/MergedImageWriter.cpp
)
