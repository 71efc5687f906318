#ifndef VLX_LAYOUT_TEXT_H
#define VLX_LAYOUT_TEXT_H

// The parts of the text model that the region analysis reads.
#include "TextBlock.h"
#include "TextLine.h"
#include "TextWord.h"

#endif
