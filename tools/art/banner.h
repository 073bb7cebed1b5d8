// The banner description language: a palette, a background and shapes, lettering from a
// stroke font, rendered with supersampling into an 8-bit picture.
#pragma once
#include <string>

#include "formats.h"

// Reads the scene file (and the font it names, relative to the scene's folder) and renders it.
// On a syntax error or an unknown colour, returns false with a message in *error.
bool RenderBanner(const std::string &scenePath, IndexedPicture *picture, std::string *error);
