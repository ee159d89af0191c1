// The localized errors with which the document reader refuses a document.
//
// Each is thrown as an Exception carrying its message key (reported at the throw site first, like every
// throw); only the default text after "=" is ever shown.
#pragma once

#include "Src/Orvane/Src/Image/CLayer.h"

namespace LumenarRefusal {

inline constexpr const char* kUnknownFormat =
    "$$$/Err/Orvane/LumenarFormat/UnknownFormat=this file is in an unknown format";
inline constexpr const char* kNoMultidisk =
    "$$$/Err/Orvane/LumenarFormat/NoMultidisk=multidisk files are not supported";
inline constexpr const char* kBadLumenarType =
    "$$$/Err/Orvane/LumenarFormat/BadLumenarType=this is an unrecognized Lumenar file type";
inline constexpr const char* kObsoleteLumenar =
    "$$$/Err/Orvane/LumenarFormat/ObsoleteLumenar=this is an obsolete Lumenar file format";
inline constexpr const char* kBadColorMode =
    "$$$/Err/Orvane/LumenarFormat/BadColorMode=this file contains an unrecognized color mode";
inline constexpr const char* kNoBitmaps =
    "$$$/Err/Orvane/LumenarFormat/NoBitmaps=Bitmap mode files are not supported";
inline constexpr const char* kNoLab =
    "$$$/Err/Orvane/LumenarFormat/NoLab=Lab color mode files are not supported";
inline constexpr const char* kNoCMYK =
    "$$$/Err/Orvane/LumenarFormat/NoCMYK=CMYK files must first be converted to RGB in Lumenar";
inline constexpr const char* kNoDuotone =
    "$$$/Err/Orvane/LumenarFormat/NoDuotone=Duotone color mode files are not supported";
inline constexpr const char* kNoMultichannel =
    "$$$/Err/Orvane/LumenarFormat/NoMultichannel=Multichannel color mode files are not supported";

// Not a format refusal: a layer the engine could not hold.
inline constexpr const char* kImageTooLarge = kImageTooLargeError;

}  // namespace LumenarRefusal
