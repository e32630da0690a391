#pragma once
// The pictures the keyword index lookup shows when it has no picture of its
// own, as 24-bit BMP file bytes.

#include "text/text.h"

namespace zv {

// 22 x 22, white with a green digit 0: the keyword is not listed.
const ByteBlock& zeroPicture();

// 80 x 16, white with the green words 查询过于频繁: the service refused.
const ByteBlock& rateLimitPicture();

// The rate-limit picture after fitting, byte for byte what a lookup shows
// when refused, so that such a picture is recognised and never stored.
const ByteBlock& fittedRateLimitPicture();

} // namespace zv
