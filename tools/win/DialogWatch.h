// The Windows host program's answer to the module's dialogs. The module shows message boxes (throw
// reports, and reports when no debug-string window exists) and the About box, all modal on the calling
// thread. A batch host cannot wait for a person, so a timer on that thread closes them: message boxes
// with their OK button, the About box with a click into it, as a user would. What each showed is kept.
#pragma once

#include <string>
#include <vector>

namespace DialogWatch {

// Starts the timer; it runs while any modal loop or message loop of this thread runs. Call once.
void Start();

// Each message box closed so far, as "<title>: <text>".
const std::vector<std::string>& MessageBoxes();

// The last About box (a dialog without title) as it stood when it was closed, in dialog units, one
// line per element in the form of DescribeDialogTemplate (tests/Windows/ResourceDecoders.h), then a
// line saying whether it was centred on its owner. Empty when none was seen.
const std::vector<std::string>& AboutLayout();

}  // namespace DialogWatch
