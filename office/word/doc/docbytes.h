#pragma once

#include "office/format/littleendianreader.h"

// A Word binary stream is read through the shared bounds-checked little-endian view: a read
// outside the view yields 0, and contains() tells beforehand whether a range is inside.
using DocBytes = LittleEndianReader;
