// Decoders for the two structured resources the module carries besides its raw property data: the
// version block and the dialog template. Both return nullopt for damaged data; they read nothing
// outside the bytes given.
#pragma once

#include "Src/Pellin/Isol/IsolTypes.h"

#include <optional>
#include <string>
#include <vector>

struct VersionInfo {
    uint32 fileVersionHigh = 0, fileVersionLow = 0;
    uint32 productVersionHigh = 0, productVersionLow = 0;
};

struct DialogItem {
    uint32 style = 0;
    int16 x = 0, y = 0, width = 0, height = 0;
    uint16 id = 0;
    uint16 classAtom = 0;  // predefined class (0x82 static text), 0 when named by a string
    std::string text;
};

struct DialogTemplate {
    uint32 style = 0;
    int16 x = 0, y = 0, width = 0, height = 0;
    std::string title;
    uint16 pointSize = 0;
    std::string font;
    std::vector<DialogItem> items;
};

std::optional<VersionInfo> DecodeVersionInfo(const std::vector<uint8>& inData);
// The value of a string-table entry of the version block; nullopt when there is none.
std::optional<std::string> VersionString(const std::vector<uint8>& inData, const std::string& inKey);
std::optional<DialogTemplate> DecodeDialogTemplate(const std::vector<uint8>& inData);

// The dialog as a person sees it, one line per element, in the form the Windows host program prints
// for a live dialog (tools/win/DialogWatch.h): "frame W x H, title "T", font "F" P", then per static
// text, top to bottom, "text[ centred] at X,Y size W x H: "T"". Units are dialog units.
std::vector<std::string> DescribeDialogTemplate(const DialogTemplate& inDialog);
