// `lumenar layers`: every layer of a loaded document as its own PNG, and the stack as layers.json.
//
// Pixel layers are written as they take part in compositing: their pixels over their bounds, as RGBA
// with the colours as stored (not matted). An enabled mask is multiplied into the alpha, or, when asked,
// written beside as a grey PNG of its own rectangle. Adjustment layers are listed with their key and get
// no file; effects are listed, not drawn.
#pragma once

#include <string>

#include "tools/layers/LayerStack.h"

class EngineDocument;

// File name of layer inIndex of inCount: the index (zero-padded to the count's width, two digits at
// least) and the name with every character outside letters, digits, '.', '_' and '-' replaced by '_',
// cut to 40 characters ("03-Sky_and_sun"); inSuffix and ".png" follow.
std::string LayerFileName(size_t inIndex, size_t inCount, const std::string& inName,
                          const std::string& inSuffix);

// Describes the loaded document as a stack and writes its layer files into inFolder (which must exist).
// False with the reason when a file cannot be written.
bool ExportLayers(EngineDocument& ioDocument, const std::string& inFolder, bool inSeparateMasks,
                  LayerStack& outStack, std::string& outError);
