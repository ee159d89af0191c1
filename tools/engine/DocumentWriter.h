// Writing a document through the engine's document writer, for `lumenar roundtrip` and `compose`.
#pragma once

#include <string>

class LImageFile;

// Writes inFile's image to inPath through its format's writer. The bytes go to a temporary file beside
// inPath that replaces it only once complete, so a failed write leaves inPath as it was and nothing
// behind. False with the reason on failure.
bool WriteDocumentFile(LImageFile& inFile, const std::string& inPath, std::string& outReason);
