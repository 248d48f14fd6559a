#pragma once

#include "office/format/result.h"

// The outcome of saving or loading a workbook file: the office's one result shape, its
// message naming the file, part, sheet or cell.
using WorkbookFileResult = Result;
