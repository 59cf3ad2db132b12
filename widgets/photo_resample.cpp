#include "widgets/photo_resample.h"

#include <algorithm>
#include <vector>

namespace {

// Places between pixels and the weights of pixels, in 256ths.
constexpr int kOne = 256;

// Where target pixel `t` of `size` samples a picture of `full` pixels: its first source pixel,
// the next one, and the weight of the next one.
struct Sample {
    int first = 0, next = 0, weight = 0;
};

std::vector<Sample> Samples(int from, int to, int size, int full, int available) {
    std::vector<Sample> samples;
    samples.reserve(static_cast<size_t>(std::max(to - from, 0)));
    const int last = std::min(full, available) - 1;
    for (int t = from; t < to; ++t) {
        // The centre of target pixel t, (t + 0.5) * full / size - 0.5 source pixels, in 256ths.
        const long long centre = (2LL * t + 1) * full * kOne / (2LL * size) - kOne / 2;
        Sample sample;
        if (centre > 0) {
            sample.first = std::min(static_cast<int>(centre / kOne), last);
            sample.weight = static_cast<int>(centre % kOne);
        }
        sample.next = std::min(sample.first + 1, last);
        samples.push_back(sample);
    }
    return samples;
}

// The loops below run for every pixel of a window: the target's pixel size is a constant in
// them (3 or 4 bytes), chosen once per call.
template <int kBytes>
void WritePixel(std::uint8_t* out, unsigned blue, unsigned green, unsigned red) {
    out[0] = static_cast<std::uint8_t>(blue);
    out[1] = static_cast<std::uint8_t>(green);
    out[2] = static_cast<std::uint8_t>(red);
    if constexpr (kBytes == 4) out[3] = 255;
}

template <int kBytes>
void CopyAs(const ConstPixelRows& source, const PixelBox& box, const PixelRows& target) {
    for (int y = box.top; y < box.bottom; ++y) {
        const std::uint8_t* in = source.Row(y) + box.left * source.bytesPerPixel;
        std::uint8_t* out = target.Row(y) + box.left * kBytes;
        for (int x = box.left; x < box.right; ++x) {
            WritePixel<kBytes>(out, in[0], in[1], in[2]);
            in += source.bytesPerPixel;
            out += kBytes;
        }
    }
}

// One size: the pixels are copied, converted where the pixel sizes differ.
void Copy(const ConstPixelRows& source, const PixelBox& box, const PixelRows& target) {
    if (target.bytesPerPixel == 4) {
        CopyAs<4>(source, box, target);
    } else {
        CopyAs<3>(source, box, target);
    }
}

// One target row from two source rows interpolated across (in 256ths of a level), mixed by
// the lower one's weight.
template <int kBytes>
void MixRows(const std::uint16_t* upper, const std::uint16_t* lower, unsigned takeLower,
             size_t span, std::uint8_t* out) {
    const unsigned keepUpper = kOne - takeLower;
    const auto level = [&](size_t i) {
        return (upper[i] * keepUpper + lower[i] * takeLower + kOne * kOne / 2) / (kOne * kOne);
    };
    if constexpr (kBytes == 3) {
        // Channel for channel, in one run the compiler can vectorise.
        for (size_t i = 0; i < span; ++i)
            out[i] = static_cast<std::uint8_t>(level(i));
    } else {
        for (size_t i = 0; i < span; i += 3) {
            WritePixel<kBytes>(out, level(i), level(i + 1), level(i + 2));
            out += kBytes;
        }
    }
}

}  // namespace

void ResamplePhoto(const ConstPixelRows& source, int fullWidth, int fullHeight, int width,
                   int height, const PixelBox& area, const PixelRows& target) {
    if (!source.bits || !target.bits || source.width <= 0 || source.height <= 0 || fullWidth <= 0 ||
        fullHeight <= 0 || width <= 0 || height <= 0) {
        return;
    }
    const PixelBox box{std::max(area.left, 0), std::max(area.top, 0),
                       std::min({area.right, width, target.width}),
                       std::min({area.bottom, height, target.height})};
    if (box.left >= box.right || box.top >= box.bottom) return;
    if (width == fullWidth && height == fullHeight && box.right <= source.width &&
        box.bottom <= source.height) {
        Copy(source, box, target);
        return;
    }

    const std::vector<Sample> columns =
        Samples(box.left, box.right, width, fullWidth, source.width);
    const std::vector<Sample> rows =
        Samples(box.top, box.bottom, height, fullHeight, source.height);
    const size_t span = columns.size() * 3;
    // Source rows interpolated across, in 256ths of a level (at most 255 * 256): the two last
    // ones are kept, as consecutive target rows mostly sample the same two.
    std::vector<std::uint16_t> across[2] = {std::vector<std::uint16_t>(span),
                                            std::vector<std::uint16_t>(span)};
    int held[2] = {-1, -1};
    const auto acrossRow = [&](int y, int keep) -> const std::uint16_t* {
        for (int i = 0; i < 2; ++i) {
            if (held[i] == y) return across[i].data();
        }
        const int slot = held[0] == keep ? 1 : 0;
        held[slot] = y;
        const std::uint8_t* in = source.Row(y);
        std::uint16_t* out = across[slot].data();
        const int bytes = source.bytesPerPixel;
        for (const Sample& s : columns) {
            const std::uint8_t* a = in + s.first * bytes;
            const std::uint8_t* b = in + s.next * bytes;
            const unsigned keepA = kOne - s.weight, takeB = s.weight;
            for (int c = 0; c < 3; ++c)
                *out++ = static_cast<std::uint16_t>(a[c] * keepA + b[c] * takeB);
        }
        return across[slot].data();
    };

    for (int y = box.top; y < box.bottom; ++y) {
        const Sample& s = rows[y - box.top];
        const std::uint16_t* upper = acrossRow(s.first, -1);
        const std::uint16_t* lower = acrossRow(s.next, s.first);
        std::uint8_t* out = target.Row(y) + box.left * target.bytesPerPixel;
        const unsigned takeLower = static_cast<unsigned>(s.weight);
        if (target.bytesPerPixel == 4) {
            MixRows<4>(upper, lower, takeLower, span, out);
        } else {
            MixRows<3>(upper, lower, takeLower, span, out);
        }
    }
}
