#include "quantize.h"

#include <algorithm>
#include <unordered_map>

namespace tool {

namespace {

// Brightness 0 to 255 (ITU-R BT.601 weights).
int Brightness(const uint8_t* p) {
  return (299 * p[0] + 587 * p[1] + 114 * p[2] + 500) / 1000;
}

uint8_t SixBits(uint8_t v) {
  return static_cast<uint8_t>(std::min(63, (v + 2) / 4));
}

IndexedPicture Blank(const Image& image) {
  IndexedPicture out;
  out.width = image.width;
  out.height = image.height;
  out.index.resize(static_cast<size_t>(image.width) * image.height);
  return out;
}

struct Colour {
  uint32_t key; // r << 12 | g << 6 | b, 6 bits each
  uint32_t count;
  uint8_t c[3];
};

// Median cut over colours[begin, end): split the box with the widest channel
// range at the pixel-weighted median of that channel.
struct Box {
  size_t begin, end;
  int channel, range;
};

Box MeasureBox(const std::vector<Colour>& colours, size_t begin, size_t end) {
  Box box{begin, end, 0, -1};
  for (int ch = 0; ch < 3; ++ch) {
    int lo = 63, hi = 0;
    for (size_t i = begin; i < end; ++i) {
      lo = std::min<int>(lo, colours[i].c[ch]);
      hi = std::max<int>(hi, colours[i].c[ch]);
    }
    if (hi - lo > box.range) {
      box.range = hi - lo;
      box.channel = ch;
    }
  }
  return box;
}

std::vector<std::array<uint8_t, 3>> MedianCut(std::vector<Colour>& colours, size_t maxColours) {
  std::vector<Box> boxes{MeasureBox(colours, 0, colours.size())};
  while (boxes.size() < maxColours) {
    auto widest = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
      return (a.end - a.begin > 1 ? a.range : -1) < (b.end - b.begin > 1 ? b.range : -1);
    });
    if (widest->end - widest->begin < 2 || widest->range <= 0) {
      break;
    }
    Box box = *widest;
    int ch = box.channel;
    std::sort(colours.begin() + box.begin, colours.begin() + box.end,
              [ch](const Colour& a, const Colour& b) { return a.c[ch] < b.c[ch]; });
    uint64_t total = 0, running = 0;
    for (size_t i = box.begin; i < box.end; ++i) {
      total += colours[i].count;
    }
    size_t split = box.begin + 1;
    for (size_t i = box.begin; i < box.end - 1; ++i) {
      running += colours[i].count;
      split = i + 1;
      if (running * 2 >= total) {
        break;
      }
    }
    *widest = MeasureBox(colours, box.begin, split);
    boxes.push_back(MeasureBox(colours, split, box.end));
  }
  std::vector<std::array<uint8_t, 3>> palette;
  for (const Box& box : boxes) {
    uint64_t sum[3] = {0, 0, 0}, weight = 0;
    for (size_t i = box.begin; i < box.end; ++i) {
      for (int ch = 0; ch < 3; ++ch) {
        sum[ch] += static_cast<uint64_t>(colours[i].c[ch]) * colours[i].count;
      }
      weight += colours[i].count;
    }
    std::array<uint8_t, 3> mean;
    for (int ch = 0; ch < 3; ++ch) {
      mean[ch] = static_cast<uint8_t>((sum[ch] + weight / 2) / weight);
    }
    palette.push_back(mean);
  }
  return palette;
}

} // namespace

IndexedPicture MapToFourColours(const Image& image) {
  IndexedPicture out = Blank(image);
  for (size_t i = 0; i < out.index.size(); ++i) {
    int v = Brightness(&image.rgb[3 * i]);
    out.index[i] = static_cast<uint8_t>(v > 212 ? 0 : v > 127 ? 1 : v > 42 ? 2 : 3);
  }
  return out;
}

IndexedPicture MapToGreys(const Image& image) {
  IndexedPicture out = Blank(image);
  for (size_t i = 0; i < out.index.size(); ++i) {
    out.index[i] = SixBits(static_cast<uint8_t>(Brightness(&image.rgb[3 * i])));
  }
  return out;
}

IndexedPicture MapToPalette(const Image& image, int maxColours) {
  IndexedPicture out = Blank(image);
  std::vector<uint32_t> keys(out.index.size());
  std::unordered_map<uint32_t, uint32_t> counts;
  std::vector<uint32_t> order; // distinct keys in order of first use
  for (size_t i = 0; i < keys.size(); ++i) {
    const uint8_t* p = &image.rgb[3 * i];
    keys[i] = SixBits(p[0]) << 12 | SixBits(p[1]) << 6 | SixBits(p[2]);
    if (counts[keys[i]]++ == 0) {
      order.push_back(keys[i]);
    }
  }
  std::vector<Colour> colours;
  for (uint32_t key : order) {
    colours.push_back(
        {key,
         counts[key],
         {static_cast<uint8_t>(key >> 12), static_cast<uint8_t>((key >> 6) & 63), static_cast<uint8_t>(key & 63)}});
  }
  std::unordered_map<uint32_t, uint8_t> indexOf;
  if (colours.size() <= static_cast<size_t>(maxColours)) {
    for (const Colour& c : colours) {
      indexOf[c.key] = static_cast<uint8_t>(out.palette.size());
      out.palette.push_back({c.c[0], c.c[1], c.c[2]});
    }
  } else {
    out.palette = MedianCut(colours, static_cast<size_t>(maxColours));
    for (const Colour& c : colours) {
      int best = 0, bestDistance = 1 << 30;
      for (size_t k = 0; k < out.palette.size(); ++k) {
        int d = 0;
        for (int ch = 0; ch < 3; ++ch) {
          int diff = c.c[ch] - out.palette[k][ch];
          d += diff * diff;
        }
        if (d < bestDistance) {
          bestDistance = d;
          best = static_cast<int>(k);
        }
      }
      indexOf[c.key] = static_cast<uint8_t>(best);
    }
  }
  for (size_t i = 0; i < keys.size(); ++i) {
    out.index[i] = indexOf[keys[i]];
  }
  return out;
}

} // namespace tool
