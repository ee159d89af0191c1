# Sources of this folder, compiled into the engine library.
target_sources(lumenar_engine PRIVATE
  Src/Orvane/Src/Effects/LayerEffectsReader.cpp
)
