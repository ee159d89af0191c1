// Turning what the engine or the runtime throws into the one-line reason the tool prints.
#pragma once

#include <functional>
#include <string>

// Runs inBody. When it throws, outReason becomes the message of an engine or facade exception (inFallback
// when it carries none), the text of a standard exception, or inFallback for anything else, and the
// answer is false; otherwise true and outReason is left alone.
bool RunForReason(const std::function<void()>& inBody, const char* inFallback, std::string& outReason);
