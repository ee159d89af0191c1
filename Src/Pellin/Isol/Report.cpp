// Temporary reporters until the platform reporters land: write the text to standard error.
#include "Src/Pellin/Isol/Report.h"

#include <cstdio>

void ReportFailure(const char* inText, const char*, int32) { std::fprintf(stderr, "%s\n", inText); }
void ReportThrow(const char* inText, const char* inFile, int32 inLine) {
    std::fprintf(stderr, "%s File: %s at line %d\n", inText, inFile, int(inLine));
}
