# Sources of this folder, compiled into the effects layer (lumenar_effects).
target_sources(lumenar_effects PRIVATE
  Src/Orvane/Src/Effects/ApplyOneEffect.cpp
  Src/Orvane/Src/Effects/ApplyOneEmbossEffect.cpp
  Src/Orvane/Src/Effects/ColorRecord.cpp
  Src/Orvane/Src/Effects/EffectBlending.cpp
  Src/Orvane/Src/Effects/EffectGeometry.cpp
  Src/Orvane/Src/Effects/EffectSource.cpp
  Src/Orvane/Src/Effects/LayerEffectsReader.cpp
  Src/Orvane/Src/Effects/LayerEffectsRenderer.cpp
  Src/Orvane/Src/Effects/LayerFX.cpp
  Src/Orvane/Src/Effects/LayerFXBlock.cpp
  Src/Orvane/Src/Effects/LayerFXSource.cpp
  Src/Orvane/Src/Effects/TentBlur.cpp
)
