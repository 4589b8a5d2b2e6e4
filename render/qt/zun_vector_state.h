#pragma once

// Qt's raster drawing runs wide vector (AVX) code and may return with the
// upper halves of the vector registers still marked in use. Our code is
// built for plain SSE2, and on some processors every such instruction then
// runs several times slower until that state is cleared. Call this after
// drawing through Qt when more of our own arithmetic follows: the painter
// computes a few lines, Qt draws them, and so on a hundred thousand times.
// On processors without AVX, and off x86-64, it does nothing.
void zunSettleVectorState();
