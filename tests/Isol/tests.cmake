# Tests of this folder: lumenar_test(<name> <sources...>) calls, added as suites appear.
