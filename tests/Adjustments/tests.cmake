# Tests of this folder: lumenar_test(<name> <sources...>) calls, added as suites appear.
lumenar_test(test_adjust_tables Adjustments/AdjustmentTablesTest.cpp)
lumenar_test(test_adjust_layers Adjustments/OneTableLayersTest.cpp)
lumenar_test(test_adjust_colour Adjustments/ColorBalanceMixerTest.cpp Adjustments/SelectiveColorTest.cpp
             Adjustments/HueSaturationTest.cpp Adjustments/ColourBlockDataTest.cpp)
lumenar_test(test_adjust_levels_curves Adjustments/LevelsCurvesLayersTest.cpp)
lumenar_test(test_adjust_documents Adjustments/AdjustmentDocumentTest.cpp)
