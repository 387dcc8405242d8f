// The application icon's images, decoded from its PNG files when the program is built, so that
// starting the program decodes nothing: premultiplied ARGB, one 32-bit value per pixel, row by
// row, as QImage::Format_ARGB32_Premultiplied holds them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brindlecot::qt {

struct IconImage {
    int size;  // width and height in pixels
    const std::uint32_t* pixels;
};

extern const IconImage kAppIconImages[];
extern const std::size_t kAppIconImageCount;

}  // namespace brindlecot::qt
