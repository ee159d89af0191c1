# Tests of this folder: lumenar_test(<name> <sources...>) calls, added as suites appear.
lumenar_test(test_adjust_layers Adjustments/AdjustmentLayersTest.cpp)
lumenar_test(test_adjust_documents Adjustments/AdjustmentDocumentTest.cpp)
