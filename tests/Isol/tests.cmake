# Tests of this folder: lumenar_test(<name> <sources...>) calls, added as suites appear.
lumenar_test(test_isol_foundation Isol/ExceptionsTest.cpp Isol/AllocatorTest.cpp
  Isol/SListXTest.cpp Isol/GeometryTest.cpp
  Isol/FoundationReportsTest.cpp Isol/CheckConditionTest.cpp)
lumenar_test(test_isol_streams Isol/ReadStreamTest.cpp Isol/WriteStreamTest.cpp)
