# Sources of this folder, compiled into the adjustments layer (lumenar_adjustments).
target_sources(lumenar_adjustments PRIVATE
  Src/Orvane/Src/Adjustments/AdjustmentLayerFactory.cpp
  Src/Orvane/Src/Adjustments/AdjustmentTables.cpp
  Src/Orvane/Src/Adjustments/CAdjustmentLayer.cpp
  Src/Orvane/Src/Adjustments/C1dLutAdjustmentLayer.cpp
  Src/Orvane/Src/Adjustments/C3dLutAdjustmentLayer.cpp
  Src/Orvane/Src/Adjustments/CInvertAdjustmentLayer.cpp
  Src/Orvane/Src/Adjustments/CBrightnessContrastAdjustmentLayer.cpp
  Src/Orvane/Src/Adjustments/CThresholdAdjustmentLayer.cpp
  Src/Orvane/Src/Adjustments/CPosterizeAdjustmentLayer.cpp
  Src/Orvane/Src/Adjustments/CSplineSolver.cpp
  Src/Orvane/Src/Adjustments/CLevelsAdjustmentLayer.cpp
  Src/Orvane/Src/Adjustments/CCurvesAdjustmentLayer.cpp
  Src/Orvane/Src/Adjustments/CColorBalanceAdjustmentLayer.cpp
  Src/Orvane/Src/Adjustments/CHueSaturationAdjustmentLayer.cpp
  Src/Orvane/Src/Adjustments/HueSaturationTables.cpp
  Src/Orvane/Src/Adjustments/CSelectiveColorAdjustmentLayer.cpp
  Src/Orvane/Src/Adjustments/CChannelMixerAdjustmentLayer.cpp
)
