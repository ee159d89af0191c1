// Writing a document through the engine's document writer, for `lumenar roundtrip` and `compose`.
#pragma once

#include <functional>
#include <string>

class LImageFile;

// Writes inFile's image to inPath through its format's writer. The bytes go to a temporary file beside
// inPath that replaces it only once complete, so a failed write leaves inPath as it was and nothing
// behind. False with the reason on failure.
bool WriteDocumentFile(LImageFile& inFile, const std::string& inPath, std::string& outReason);

// Runs inBuild, which makes a document and writes it (with WriteDocumentFile), and turns an engine or
// standard exception thrown on the way into outReason ("the document could not be built" when the engine
// gives no text). For the sample generators. Returns what inBuild returns, false after an exception.
bool BuildDocument(const std::function<bool()>& inBuild, std::string& outReason);
