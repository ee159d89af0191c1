// CLumenarFormat: writing documents.
#include "Src/Orvane/Src/Format/CLumenarFormat.h"

#include "Src/Pellin/Isol/Report.h"

// The document writer is not part of the module yet: nothing is written, and the call says so.
void CLumenarFormat::WriteImage(CImage*, SWriteStream*, LProgressScope*) {
    LREPORT("CLumenarFormat::WriteImage: writing documents is not available");
}
