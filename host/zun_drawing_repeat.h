#pragma once

#include "contracts/data/zun_drawing.h"

// Large drawings for tests, benchmarks and trying the host out: the parts of
// a drawing repeated, in its order, until there are count of them. Copy c of
// a part (counted from 1; the first round keeps the handles and names as
// they are) gets the handle "<handle>_<c>" and the name "<name> #<c>".
// Layers and materials are the sample's. out is replaced; false (out
// emptied) when the sample has no parts or count is not positive.
bool zunRepeatDrawing(const ZUN::CZunDrawing& sample, int count, ZUN::CZunDrawing& out);

// The same written to a file: the sample read from samplePath, the result
// saved at outPath. False with the reason in error.
bool zunRepeatDrawingFile(const CZunString& samplePath, int count, const CZunString& outPath, CZunString* error);
