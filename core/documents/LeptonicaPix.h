#pragma once

#include <allheaders.h>

#include <memory>

// A Leptonica picture that frees itself.
struct PixFree
{
    void operator()(PIX *pix) const { pixDestroy(&pix); }
};
using PixPtr = std::unique_ptr<PIX, PixFree>;
