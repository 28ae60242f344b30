// The box filter that takes a picture drawn larger back to its size.
#include "render/cpu/picture_filter.h"

std::vector<unsigned char> shrinkByBoxFilter(const std::vector<unsigned char>& rgb, int width, int height, int k)
{
    if (k <= 1) {
        return rgb;
    }
    const int w = width / k, h = height / k;
    std::vector<unsigned char> out(static_cast<std::size_t>(w) * h * 3);
    std::vector<unsigned> sums(static_cast<std::size_t>(w) * 3);
    const unsigned area = static_cast<unsigned>(k * k);
    for (int y = 0; y < h; ++y) {
        sums.assign(sums.size(), 0u);
        for (int dy = 0; dy < k; ++dy) {
            const unsigned char* row = &rgb[(static_cast<std::size_t>(y) * k + dy) * width * 3];
            for (int x = 0; x < w * k; ++x) {
                for (int c = 0; c < 3; ++c) {
                    sums[static_cast<std::size_t>(x / k) * 3 + c] += row[static_cast<std::size_t>(x) * 3 + c];
                }
            }
        }
        for (std::size_t i = 0; i < sums.size(); ++i) {
            out[static_cast<std::size_t>(y) * w * 3 + i] = static_cast<unsigned char>((sums[i] + area / 2) / area);
        }
    }
    return out;
}
