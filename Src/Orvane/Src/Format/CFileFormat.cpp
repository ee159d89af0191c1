#include "Src/Orvane/Src/Format/CFileFormat.h"

#include "Src/Pellin/Isol/Report.h"

CFileFormat::~CFileFormat() = default;

void CFileFormat::WriteFrames(CImage*, SWriteStream*, LProgressScope*, void*) {
    LREPORT("No support for internal animation in selected format");
}
