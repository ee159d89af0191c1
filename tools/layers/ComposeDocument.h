// `lumenar compose`: a document built from a layer stack (LayerStack.h) and its PNG files, written
// through the engine's document writer.
//
// Layers are built as the reader builds them from a document: an RGB layer per entry with pixels over
// its rectangle, its blend mode, opacity, visibility, clipping and mask, so that a stack exported by
// `lumenar layers --masks` composes into a document with the same composite. Adjustment entries and
// effects cannot be rebuilt from layer files; they are left out with a warning each.
#pragma once

#include <string>
#include <vector>

#include "tools/layers/LayerStack.h"

// Builds the document of inStack, reading layer files relative to inFolder ("": the working folder),
// and writes it to inOutput (replaced only when complete). outWarnings receives a sentence for each part
// left out. A stack that cannot be built is kStackRefused with outError naming the key at fault
// ("layers[1].file: cannot read a.png: ..."); a document that cannot be built or written is
// kWriteFailed with the reason.
enum class ComposeResult { kDone, kStackRefused, kWriteFailed };
ComposeResult ComposeDocument(const LayerStack& inStack, const std::string& inFolder,
                              const std::string& inOutput, std::vector<std::string>& outWarnings,
                              std::string& outError);
