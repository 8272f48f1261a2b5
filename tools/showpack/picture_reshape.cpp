#include "tools/showpack/picture_reshape.h"

#include <turbojpeg.h>

#include <cstdint>
#include <new>
#include <vector>

#include "tools/showpack/exif_orientation.h"

namespace {

// A picture's header may claim up to 65535 x 65535 pixels, whose pixels
// would not fit in memory twice (stored and turned); a 200-megapixel phone
// photo does.
constexpr uint64_t kMostDecodedBytes = uint64_t(1) << 30;

// A TurboJPEG instance, destroyed with its owner.
class TjHandle {
 public:
  explicit TjHandle(tjhandle handle) : handle_(handle) {}
  ~TjHandle() {
    if (handle_ != nullptr) tjDestroy(handle_);
  }
  TjHandle(const TjHandle&) = delete;
  TjHandle& operator=(const TjHandle&) = delete;
  tjhandle get() const { return handle_; }
  std::string Error() const { return handle_ != nullptr ? tjGetErrorStr2(handle_) : "no memory"; }
  // Whether a call that returned -1 only warned (a picture cut short, which
  // libjpeg completes with grey, as the player's decoder does).
  bool OnlyWarned() const { return tjGetErrorCode(handle_) == TJERR_WARNING; }

 private:
  tjhandle handle_;
};

// The EXIF orientations 2 to 8 as the lossless operations that undo them.
constexpr int kTurns[9] = {TJXOP_NONE,   TJXOP_NONE,       TJXOP_HFLIP,
                           TJXOP_ROT180, TJXOP_VFLIP,      TJXOP_TRANSPOSE,
                           TJXOP_ROT90,  TJXOP_TRANSVERSE, TJXOP_ROT270};

bool SwapsSides(int orientation) {
  return orientation >= 5;
}

struct Pixels {
  int width = 0, height = 0, channels = 0;
  std::vector<unsigned char> samples;  // rows top first, no padding
};

// The stored pixel that shows at (x, y) of the upright picture.
void StoredPosition(int orientation, int width, int height, int x, int y, int* sx, int* sy) {
  switch (orientation) {
    case 2:
      *sx = width - 1 - x, *sy = y;
      break;
    case 3:
      *sx = width - 1 - x, *sy = height - 1 - y;
      break;
    case 4:
      *sx = x, *sy = height - 1 - y;
      break;
    case 5:
      *sx = y, *sy = x;
      break;
    case 6:
      *sx = y, *sy = height - 1 - x;
      break;
    case 7:
      *sx = width - 1 - y, *sy = height - 1 - x;
      break;
    case 8:
      *sx = width - 1 - y, *sy = x;
      break;
    default:
      *sx = x, *sy = y;
      break;
  }
}

Pixels TurnUpright(const Pixels& stored, int orientation) {
  if (orientation == 1) return stored;
  Pixels upright;
  upright.width = SwapsSides(orientation) ? stored.height : stored.width;
  upright.height = SwapsSides(orientation) ? stored.width : stored.height;
  upright.channels = stored.channels;
  upright.samples.resize(stored.samples.size());
  const size_t channels = size_t(stored.channels);
  unsigned char* out = upright.samples.data();
  for (int y = 0; y < upright.height; ++y) {
    for (int x = 0; x < upright.width; ++x, out += channels) {
      int sx, sy;
      StoredPosition(orientation, stored.width, stored.height, x, y, &sx, &sy);
      const unsigned char* in =
          stored.samples.data() + (size_t(sy) * size_t(stored.width) + size_t(sx)) * channels;
      for (size_t c = 0; c < channels; ++c)
        out[c] = in[c];
    }
  }
  return upright;
}

// For each of count target positions along a line of size source samples,
// the source samples it covers and how much of each: an area average.
struct Span {
  int first = 0;
  std::vector<float> weights;
};

std::vector<Span> AreaSpans(int source, int target) {
  std::vector<Span> spans(static_cast<size_t>(target));
  const double step = double(source) / target;
  for (int t = 0; t < target; ++t) {
    const double from = t * step, to = (t + 1) * step;
    Span& span = spans[size_t(t)];
    span.first = int(from);
    for (int s = span.first; s < source && s < to; ++s) {
      double covered = (s + 1 < to ? s + 1 : to) - (s > from ? s : from);
      span.weights.push_back(float(covered / step));
    }
  }
  return spans;
}

Pixels Shrink(const Pixels& source, int width, int height) {
  const size_t channels = size_t(source.channels);
  const std::vector<Span> across = AreaSpans(source.width, width);
  const std::vector<Span> down = AreaSpans(source.height, height);
  // Rows first, into floats, then columns.
  std::vector<float> rows(size_t(width) * size_t(source.height) * channels);
  for (int y = 0; y < source.height; ++y) {
    const unsigned char* in = source.samples.data() + size_t(y) * size_t(source.width) * channels;
    float* out = rows.data() + size_t(y) * size_t(width) * channels;
    for (const Span& span : across) {
      for (size_t c = 0; c < channels; ++c) {
        float sum = 0;
        for (size_t k = 0; k < span.weights.size(); ++k)
          sum += span.weights[k] * in[(size_t(span.first) + k) * channels + c];
        *out++ = sum;
      }
    }
  }
  Pixels shrunk;
  shrunk.width = width;
  shrunk.height = height;
  shrunk.channels = source.channels;
  shrunk.samples.resize(size_t(width) * size_t(height) * channels);
  const size_t rowSize = size_t(width) * channels;
  for (int y = 0; y < height; ++y) {
    const Span& span = down[size_t(y)];
    unsigned char* out = shrunk.samples.data() + size_t(y) * rowSize;
    for (size_t i = 0; i < rowSize; ++i) {
      float sum = 0;
      for (size_t k = 0; k < span.weights.size(); ++k)
        sum += span.weights[k] * rows[(size_t(span.first) + k) * rowSize + i];
      int value = int(sum + 0.5f);
      out[i] = static_cast<unsigned char>(value < 0 ? 0 : value > 255 ? 255 : value);
    }
  }
  return shrunk;
}

// The largest size within maxWidth x maxHeight with the picture's aspect
// ratio, or the picture's own size when it fits already.
void FitWithin(int width, int height, const ReshapeRequest& request, int* fitWidth,
               int* fitHeight) {
  *fitWidth = width;
  *fitHeight = height;
  if (request.maxWidth <= 0 || (width <= request.maxWidth && height <= request.maxHeight)) return;
  if (int64_t(width) * request.maxHeight >= int64_t(height) * request.maxWidth) {
    *fitWidth = request.maxWidth;
    *fitHeight = int((int64_t(height) * request.maxWidth * 2 + width) / (int64_t(width) * 2));
  } else {
    *fitHeight = request.maxHeight;
    *fitWidth = int((int64_t(width) * request.maxHeight * 2 + height) / (int64_t(height) * 2));
  }
  if (*fitWidth < 1) *fitWidth = 1;
  if (*fitHeight < 1) *fitHeight = 1;
}

// Decodes at the smallest of libjpeg's scales (1/8 to 1) that still gives at
// least width x height pixels, since that costs a fraction of a full decode.
bool Decode(const std::string& jpeg, int width, int height, bool grey, Pixels* pixels,
            std::string* error) {
  TjHandle decoder(tjInitDecompress());
  if (decoder.get() == nullptr) return *error = decoder.Error(), false;
  const auto* data = reinterpret_cast<const unsigned char*>(jpeg.data());
  int storedWidth, storedHeight, subsampling, colorspace;
  if (tjDecompressHeader3(decoder.get(), data, jpeg.size(), &storedWidth, &storedHeight,
                          &subsampling, &colorspace) != 0) {
    return *error = decoder.Error(), false;
  }
  int count = 0;
  const tjscalingfactor* factors = tjGetScalingFactors(&count);
  tjscalingfactor best = {1, 1};
  for (int i = 0; factors != nullptr && i < count; ++i) {
    const tjscalingfactor& f = factors[i];
    if (f.num > f.denom) continue;
    if (TJSCALED(storedWidth, f) >= width && TJSCALED(storedHeight, f) >= height &&
        f.num * best.denom < best.num * f.denom) {
      best = f;
    }
  }
  pixels->width = TJSCALED(storedWidth, best);
  pixels->height = TJSCALED(storedHeight, best);
  pixels->channels = grey ? 1 : 3;
  const uint64_t bytes = uint64_t(pixels->width) * uint64_t(pixels->height) * pixels->channels;
  if (bytes > kMostDecodedBytes) {
    *error = "too large to decode whole (" + std::to_string(pixels->width) + "x" +
             std::to_string(pixels->height) + " pixels); --max-size shrinks it on the way";
    return false;
  }
  pixels->samples.resize(size_t(pixels->width) * size_t(pixels->height) * size_t(pixels->channels));
  if (tjDecompress2(decoder.get(), data, jpeg.size(), pixels->samples.data(), pixels->width, 0,
                    pixels->height, grey ? TJPF_GRAY : TJPF_RGB, 0) != 0 &&
      !decoder.OnlyWarned()) {
    return *error = decoder.Error(), false;
  }
  return true;
}

bool Encode(const Pixels& pixels, int quality, std::string* jpeg, std::string* error) {
  TjHandle encoder(tjInitCompress());
  if (encoder.get() == nullptr) return *error = encoder.Error(), false;
  unsigned char* out = nullptr;
  unsigned long size = 0;
  const bool grey = pixels.channels == 1;
  int result = tjCompress2(encoder.get(), pixels.samples.data(), pixels.width, 0, pixels.height,
                           grey ? TJPF_GRAY : TJPF_RGB, &out, &size,
                           grey ? TJSAMP_GRAY : TJSAMP_420, quality, 0);
  if (result == 0) jpeg->assign(reinterpret_cast<const char*>(out), size);
  tjFree(out);
  if (result != 0) *error = encoder.Error();
  return result == 0;
}

// A lossless turn, refused by TurboJPEG when an edge of the picture is a
// partial block that the turn would move inside it.
bool TurnLosslessly(const std::string& jpeg, int orientation, std::string* turned) {
  TjHandle transformer(tjInitTransform());
  if (transformer.get() == nullptr) return false;
  tjtransform transform = {};
  transform.op = kTurns[orientation];
  transform.options = TJXOPT_PERFECT;
  unsigned char* out = nullptr;
  unsigned long size = 0;
  int result = tjTransform(transformer.get(), reinterpret_cast<const unsigned char*>(jpeg.data()),
                           jpeg.size(), 1, &out, &size, &transform, 0);
  if (result == 0) turned->assign(reinterpret_cast<const char*>(out), size);
  tjFree(out);
  return result == 0;
}

}  // namespace

Reshaped ReshapePicture(const std::string& jpeg, const ReshapeRequest& request) {
  Reshaped reshaped;
  if (request.orientation == 1 && request.maxWidth <= 0) return reshaped;
  TjHandle reader(tjInitDecompress());
  int width, height, subsampling, colorspace;
  if (reader.get() == nullptr ||
      tjDecompressHeader3(reader.get(), reinterpret_cast<const unsigned char*>(jpeg.data()),
                          jpeg.size(), &width, &height, &subsampling, &colorspace) != 0) {
    reshaped.failed = true;
    reshaped.note = reader.Error();
    return reshaped;
  }
  const int orientation =
      request.orientation >= 1 && request.orientation <= 8 ? request.orientation : 1;
  const int uprightWidth = SwapsSides(orientation) ? height : width;
  const int uprightHeight = SwapsSides(orientation) ? width : height;
  int fitWidth, fitHeight;
  FitWithin(uprightWidth, uprightHeight, request, &fitWidth, &fitHeight);
  const bool shrinks = fitWidth != uprightWidth || fitHeight != uprightHeight;
  if (!shrinks && orientation == 1) return reshaped;

  // A turn at full size holds the whole picture, its coefficients or its
  // pixels, in memory.
  if (!shrinks && uint64_t(width) * uint64_t(height) * 3 > kMostDecodedBytes) {
    reshaped.failed = true;
    reshaped.note = "too large to turn whole (" + std::to_string(width) + "x" +
                    std::to_string(height) + " pixels); --max-size shrinks it on the way";
    return reshaped;
  }
  reshaped.changed = true;
  std::string turnNote;
  if (orientation != 1) {
    if (!shrinks && TurnLosslessly(jpeg, orientation, &reshaped.jpeg)) {
      MarkUpright(reshaped.jpeg);
      reshaped.turned = reshaped.lossless = true;
      reshaped.note = "turned upright (lossless)";
      return reshaped;
    }
    turnNote = shrinks
                   ? "turned upright, "
                   : "turned upright, re-encoded at quality " + std::to_string(request.quality) +
                         " since its size is not whole " + std::to_string(tjMCUWidth[subsampling]) +
                         "x" + std::to_string(tjMCUHeight[subsampling]) + " blocks";
  }
  const bool grey = colorspace == TJCS_GRAY;
  const int needWidth = SwapsSides(orientation) ? fitHeight : fitWidth;
  const int needHeight = SwapsSides(orientation) ? fitWidth : fitHeight;
  std::string error;
  try {
    Pixels stored;
    bool done = Decode(jpeg, needWidth, needHeight, grey, &stored, &error);
    if (done) {
      Pixels upright = TurnUpright(stored, orientation);
      if (upright.width != fitWidth || upright.height != fitHeight)
        upright = Shrink(upright, fitWidth, fitHeight);
      done = Encode(upright, request.quality, &reshaped.jpeg, &error);
    }
    if (!done) {
      reshaped.failed = true;
      reshaped.note = error;
      return reshaped;
    }
  } catch (const std::bad_alloc&) {
    reshaped.failed = true;
    reshaped.note = "too large to decode whole in the memory there is";
    return reshaped;
  }
  reshaped.turned = orientation != 1;
  reshaped.shrunk = shrinks;
  reshaped.note = turnNote;
  if (shrinks) {
    reshaped.note += "shrunk from " + std::to_string(uprightWidth) + "x" +
                     std::to_string(uprightHeight) + " to " + std::to_string(fitWidth) + "x" +
                     std::to_string(fitHeight) + " at quality " + std::to_string(request.quality);
  }
  return reshaped;
}
