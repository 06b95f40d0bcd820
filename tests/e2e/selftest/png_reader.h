#pragma once
// Reads a PNG file through Windows' own imaging codecs, a decoder independent of the driver's writer.
#include <string>

#include "driver/png.h"

bool ReadPngWithSystemCodec(const std::string& path, e2e::Image& image, std::string& error);
