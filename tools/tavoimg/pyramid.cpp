#include "pyramid.h"

#include "commands.h"
#include "output_file.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tool {

namespace {

// ---- PNG files ----

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out.push_back(static_cast<uint8_t>(v >> shift));
  }
}

void PutChunk(std::vector<uint8_t>& out, const char* kind, const uint8_t* data, size_t size) {
  PutBe32(out, static_cast<uint32_t>(size));
  size_t start = out.size();
  out.insert(out.end(), kind, kind + 4);
  out.insert(out.end(), data, data + size);
  PutBe32(out, static_cast<uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

// One tile: its rows as PNG scan lines (each a filter byte of 0 and the
// packed pixels), to be compressed and written by a worker.
struct Tile {
  std::string path;
  int width = 0, height = 0;
  int depth = 8;              // bits per pixel (per sample for grey and RGB)
  int colourType = 0;         // 0 grey, 2 RGB, 3 indexed
  std::vector<uint8_t> table; // indexed: red, green, blue of each entry
  std::vector<uint8_t> rows;
};

// Scan lines that are mostly one colour compress best and fastest as runs;
// no row filter is worth its time on drawings.
std::vector<uint8_t> EncodePng(const Tile& t) {
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<uint8_t> header;
  PutBe32(header, static_cast<uint32_t>(t.width));
  PutBe32(header, static_cast<uint32_t>(t.height));
  header.insert(header.end(), {static_cast<uint8_t>(t.depth), static_cast<uint8_t>(t.colourType), 0, 0, 0});
  PutChunk(out, "IHDR", header.data(), header.size());
  if (t.colourType == 3) {
    PutChunk(out, "PLTE", t.table.data(), t.table.size());
  }
  z_stream z;
  std::memset(&z, 0, sizeof z);
  int strategy = t.colourType == 2 ? Z_DEFAULT_STRATEGY : Z_RLE;
  if (deflateInit2(&z, 1, Z_DEFLATED, 15, 8, strategy) != Z_OK) {
    throw Failure("cannot compress " + t.path);
  }
  std::vector<uint8_t> packed(deflateBound(&z, static_cast<uLong>(t.rows.size())));
  z.next_in = const_cast<Bytef*>(t.rows.data());
  z.avail_in = static_cast<uInt>(t.rows.size());
  z.next_out = packed.data();
  z.avail_out = static_cast<uInt>(packed.size());
  int result = deflate(&z, Z_FINISH);
  size_t got = z.total_out;
  deflateEnd(&z);
  if (result != Z_STREAM_END) {
    throw Failure("cannot compress " + t.path);
  }
  PutChunk(out, "IDAT", packed.data(), got);
  PutChunk(out, "IEND", nullptr, 0);
  return out;
}

void MakeFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
    throw Failure(WriteErrorText(path, errno));
  }
}

// Writes a new file of a folder that nobody else sees yet.
void WriteNewFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  size_t done = 0;
  while (fd >= 0 && done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      break;
    }
    done += static_cast<size_t>(n);
  }
  int code = errno;
  if (fd < 0 || done < bytes.size() || close(fd) != 0) {
    throw Failure(WriteErrorText(path, fd < 0 || done < bytes.size() ? code : errno));
  }
}

// Compresses and writes tiles on threads of its own; the first failure is
// thrown by Finish.
class TileWriter {
public:
  explicit TileWriter(int threads) {
    for (int i = 0; i < threads; ++i) {
      workers_.emplace_back([this] { Work(); });
    }
  }
  ~TileWriter() { Stop(); }

  void Add(Tile tile) {
    std::unique_lock<std::mutex> lock(mutex_);
    // A few tiles wait at most, so that memory does not grow with the picture.
    room_.wait(lock, [this] { return queue_.size() < 4 * workers_.size() + 4; });
    queue_.push_back(std::move(tile));
    ready_.notify_one();
  }

  void Finish() {
    Stop();
    if (!failure_.empty()) {
      throw Failure(failure_);
    }
  }

private:
  void Stop() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    ready_.notify_all();
    for (std::thread& t : workers_) {
      t.join();
    }
    workers_.clear();
  }

  void Work() {
    while (true) {
      Tile tile;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) {
          return;
        }
        tile = std::move(queue_.front());
        queue_.pop_front();
        room_.notify_one();
      }
      try {
        WriteNewFile(tile.path, EncodePng(tile));
      } catch (const std::exception& e) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (failure_.empty()) {
          failure_ = e.what();
        }
      }
    }
  }

  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable ready_, room_;
  std::deque<Tile> queue_;
  bool stopping_ = false;
  std::string failure_;
};

// ---- The levels ----

int Halved(int size) {
  return (size + 1) / 2;
}

int LevelCount(int width, int height) {
  int levels = 1;
  while (width > kTileSize || height > kTileSize) {
    width = Halved(width);
    height = Halved(height);
    ++levels;
  }
  return levels;
}

// A tile of a level whose size is scale times smaller than the picture's.
struct TilePlace {
  int x, y, width, height; // in the level's pixels
};

// "REGION/SIZE/0/default.png" under folder: the tile's part of the full
// picture, and its size ("max" at full size, "full" for the whole picture).
std::string TilePath(const std::string& folder, const Pyramid& p, int scale, const TilePlace& t) {
  int rx = t.x * scale, ry = t.y * scale;
  int rw = std::min(t.width * scale, p.width - rx), rh = std::min(t.height * scale, p.height - ry);
  bool whole = rx == 0 && ry == 0 && rw == p.width && rh == p.height;
  std::string region =
      whole ? "full"
            : std::to_string(rx) + "," + std::to_string(ry) + "," + std::to_string(rw) + "," + std::to_string(rh);
  std::string size = scale == 1 && whole ? "max"
                     : scale == 1        ? std::to_string(rw) + "," + std::to_string(rh)
                                         : std::to_string(t.width) + "," + std::to_string(t.height);
  return folder + "/" + region + "/" + size + "/0/default.png";
}

// The three folders of a tile's path (made on one thread: folders made at
// once in the same folder wait for each other).
void MakeTileFolders(const std::string& path) {
  size_t end = path.size();
  size_t cuts[3];
  for (size_t& cut : cuts) {
    cut = end = path.rfind('/', end - 1);
  }
  for (int i = 2; i >= 0; --i) {
    MakeFolder(path.substr(0, cuts[i]));
  }
}

// Hands over every tile of a band of a level's rows: rowBytes(x, width, row)
// gives the packed pixels of one row of a tile.
void AddBand(TileWriter& writer, const std::string& folder, const Pyramid& p, int scale, int levelWidth, int y0,
             int rows, const Tile& kind, const std::function<void(int, int, int, uint8_t*)>& rowBytes) {
  for (int x = 0; x < levelWidth; x += kTileSize) {
    Tile tile = kind;
    TilePlace place{x, y0, std::min(kTileSize, levelWidth - x), rows};
    tile.path = TilePath(folder, p, scale, place);
    MakeTileFolders(tile.path);
    tile.width = place.width;
    tile.height = rows;
    size_t lineBytes = (static_cast<size_t>(place.width) * kind.depth * (kind.colourType == 2 ? 3 : 1) + 7) / 8;
    tile.rows.assign((lineBytes + 1) * rows, 0);
    for (int r = 0; r < rows; ++r) {
      rowBytes(x, place.width, r, &tile.rows[r * (lineBytes + 1) + 1]);
    }
    writer.Add(std::move(tile));
  }
}

// The grey levels of a reduced bilevel page, by the share of black pixels:
// background (white), three greys and black.
const uint8_t kGreys[5] = {255, 153, 102, 51, 0};

// A bilevel picture, a band of kTileSize rows at a time: the full-size tiles
// straight from the DIB's bits, and every reduced level from black-pixel
// counts summed from the level above, 2 × 2 pixels into one.
class BilevelPyramid {
public:
  BilevelPyramid(const DibLayout& d, const uint8_t* bits, Pyramid& p, const std::string& folder, TileWriter& writer)
      : d_(d), bits_(bits), p_(p), folder_(folder), writer_(writer) {
    // The colour table says which index is black; the library's export has 0
    // white and 1 black.
    const uint8_t* table = bits - 8;
    int dark0 = table[0] + table[1] + table[2], dark1 = table[4] + table[5] + table[6];
    blackIndex_ = dark1 <= dark0 ? 1 : 0;
    int w = d.width, h = d.height;
    for (int k = 1; k < p.levels; ++k) {
      w = Halved(w);
      h = Halved(h);
      Level level;
      level.scale = 1 << k;
      level.width = w;
      level.height = h;
      level.band.assign(static_cast<size_t>(w) * kTileSize, 0);
      levels_.push_back(std::move(level));
    }
    for (int i = 0; i < 256; ++i) {
      // Four counts of two pixels each, one per byte.
      int v = blackIndex_ ? i : 255 - i;
      uint32_t four = 0;
      for (int pair = 0; pair < 4; ++pair) {
        int two = (v >> (6 - 2 * pair)) & 3;
        four |= static_cast<uint32_t>((two & 1) + (two >> 1)) << (8 * pair);
      }
      pairCounts_[i] = four;
    }
  }

  void Run() {
    Tile kind;
    kind.depth = 1;
    kind.colourType = 3;
    const uint8_t* table = bits_ - 8;
    for (int i = 0; i < 2; ++i) {
      kind.table.insert(kind.table.end(), {table[4 * i + 2], table[4 * i + 1], table[4 * i]});
    }
    std::vector<uint16_t> counts(levels_.empty() ? 0 : levels_[0].width);
    for (int y0 = 0; y0 < d_.height; y0 += kTileSize) {
      int rows = std::min(kTileSize, d_.height - y0);
      AddBand(writer_, folder_, p_, 1, d_.width, y0, rows, kind, [&](int x, int width, int r, uint8_t* out) {
        const uint8_t* row = Row(y0 + r) + x / 8;
        size_t n = (static_cast<size_t>(width) + 7) / 8;
        std::memcpy(out, row, n);
        if (width % 8) {
          out[n - 1] &= static_cast<uint8_t>(0xFF00 >> (width % 8));
        }
      });
      if (levels_.empty()) {
        continue;
      }
      for (int r = 0; r < rows; r += 2) {
        HalveBits(y0 + r, r + 1 < rows, counts.data());
        Push(0, counts.data());
      }
    }
  }

private:
  struct Level {
    int scale = 1, width = 0, height = 0;
    std::vector<uint16_t> band; // black pixels under each pixel, kTileSize rows
    int bandTop = 0, rows = 0;
    std::vector<uint16_t> pending; // an upper row waiting for its lower one
    bool hasPending = false;
  };

  const uint8_t* Row(int y) const {
    int memoryRow = d_.topDown ? y : d_.height - 1 - y;
    return bits_ + d_.stride * static_cast<size_t>(memoryRow);
  }

  // The first reduced row from picture rows y and y + 1 (when there is one).
  void HalveBits(int y, bool two, uint16_t* out) const {
    const uint8_t* a = Row(y);
    const uint8_t* b = two ? Row(y + 1) : nullptr;
    int width = levels_[0].width;
    size_t bytes = (static_cast<size_t>(d_.width) + 7) / 8;
    for (size_t i = 0; i < bytes; ++i) {
      uint32_t four = pairCounts_[a[i]] + (b ? pairCounts_[b[i]] : 0);
      for (int j = 0; j < 4; ++j) {
        int x = static_cast<int>(4 * i) + j;
        if (x < width) {
          out[x] = static_cast<uint16_t>((four >> (8 * j)) & 0xFF);
        }
      }
    }
    // Padding bits past the picture's width count as white.
    if (d_.width % 2) {
      uint8_t last = a[(d_.width - 1) / 8];
      int bit = 7 - (d_.width - 1) % 8;
      out[width - 1] = static_cast<uint16_t>(((last >> bit) & 1) == blackIndex_);
      if (b) {
        out[width - 1] += static_cast<uint16_t>(((b[(d_.width - 1) / 8] >> bit) & 1) == blackIndex_);
      }
    }
  }

  // One more row of level k (an index into levels_).
  void Push(size_t k, const uint16_t* row) {
    Level& level = levels_[k];
    int y = level.bandTop + level.rows;
    std::copy(row, row + level.width, &level.band[static_cast<size_t>(level.rows) * level.width]);
    ++level.rows;
    if (k + 1 < levels_.size()) {
      Level& next = levels_[k + 1];
      if (!level.hasPending && y + 1 < level.height) {
        level.pending.assign(row, row + level.width);
        level.hasPending = true;
      } else {
        std::vector<uint16_t> sums(next.width);
        for (int x = 0; x < next.width; ++x) {
          int x1 = std::min(2 * x + 1, level.width - 1);
          unsigned sum = row[2 * x] + (x1 != 2 * x ? row[x1] : 0);
          if (level.hasPending) {
            sum += level.pending[2 * x] + (x1 != 2 * x ? level.pending[x1] : 0);
          }
          sums[x] = static_cast<uint16_t>(sum);
        }
        level.hasPending = false;
        Push(k + 1, sums.data());
      }
    }
    if (level.rows == kTileSize || y + 1 == level.height) {
      EmitBand(level);
      level.bandTop += level.rows;
      level.rows = 0;
    }
  }

  // The pixels under one of a level's pixels along one axis.
  static int Under(int i, int scale, int full) { return std::min((i + 1) * scale, full) - i * scale; }

  void EmitBand(const Level& level) {
    Tile kind;
    kind.depth = 4;
    kind.colourType = 3;
    for (uint8_t g : kGreys) {
      kind.table.insert(kind.table.end(), {g, g, g});
    }
    if (level.scale == 1 << (p_.levels - 1)) {
      KeepSmallest(level);
    }
    AddBand(writer_, folder_, p_, level.scale, level.width, level.bandTop, level.rows, kind,
            [&](int x, int width, int r, uint8_t* out) {
              int below = Under(level.bandTop + r, level.scale, p_.height);
              const uint16_t* counts = &level.band[static_cast<size_t>(r) * level.width + x];
              for (int i = 0; i < width; ++i) {
                if (counts[i]) { // most of a drawing is background
                  uint8_t grey = GreyLevel(counts[i], below * Under(x + i, level.scale, p_.width));
                  out[i / 2] |= static_cast<uint8_t>(i % 2 ? grey : grey << 4);
                }
              }
            });
  }

  // The library's rule: black pixels × 4 ÷ pixels behind the pixel.
  static uint8_t GreyLevel(unsigned black, int pixels) {
    return black == 0 ? 0 : static_cast<uint8_t>(black * 4 / static_cast<unsigned>(pixels));
  }

  void KeepSmallest(const Level& level) {
    Image& image = p_.smallest;
    if (image.width != level.width) {
      image.Resize(level.width, level.height);
    }
    for (int r = 0; r < level.rows; ++r) {
      int y = level.bandTop + r, below = Under(y, level.scale, p_.height);
      for (int x = 0; x < level.width; ++x) {
        uint8_t g = kGreys[GreyLevel(level.band[static_cast<size_t>(r) * level.width + x],
                                     below * Under(x, level.scale, p_.width))];
        std::fill(image.Pixel(x, y), image.Pixel(x, y) + 3, g);
      }
    }
  }

  const DibLayout& d_;
  const uint8_t* bits_;
  Pyramid& p_;
  const std::string& folder_;
  TileWriter& writer_;
  int blackIndex_ = 1;
  uint32_t pairCounts_[256];
  std::vector<Level> levels_;
};

// Half of a picture in each direction, each pixel the mean of the (up to)
// four it covers.
Image HalfOf(const Image& source) {
  Image out;
  out.Resize(Halved(source.width), Halved(source.height));
  for (int y = 0; y < out.height; ++y) {
    int y1 = std::min(2 * y + 1, source.height - 1);
    for (int x = 0; x < out.width; ++x) {
      int x1 = std::min(2 * x + 1, source.width - 1);
      const uint8_t* q[4] = {source.Pixel(2 * x, 2 * y), source.Pixel(x1, 2 * y), source.Pixel(2 * x, y1),
                             source.Pixel(x1, y1)};
      for (int c = 0; c < 3; ++c) {
        out.Pixel(x, y)[c] = static_cast<uint8_t>((q[0][c] + q[1][c] + q[2][c] + q[3][c] + 2) / 4);
      }
    }
  }
  return out;
}

// A picture of colours or grey levels (a DRF's): the full-size tiles with its
// colour table, the reduced levels as RGB means. DRF pictures are small
// enough to be held whole.
void ColourPyramid(const DibLayout& d, const uint8_t* dib, size_t size, Pyramid& p, const std::string& folder,
                   TileWriter& writer) {
  Image image;
  std::string error;
  if (!DecodeDib(dib, size, image, error)) {
    throw Failure(error);
  }
  Tile kind;
  if (d.bits <= 8) {
    kind.depth = d.bits;
    kind.colourType = 3;
    for (uint32_t i = 0; i < d.colours; ++i) {
      const uint8_t* q = dib + d.colourOffset + 4 * i;
      kind.table.insert(kind.table.end(), {q[2], q[1], q[0]});
    }
    const uint8_t* bits = dib + d.packedBitsOffset;
    for (int y0 = 0; y0 < d.height; y0 += kTileSize) {
      AddBand(writer, folder, p, 1, d.width, y0, std::min(kTileSize, d.height - y0), kind,
              [&](int x, int width, int r, uint8_t* out) {
                int y = y0 + r, memoryRow = d.topDown ? y : d.height - 1 - y;
                const uint8_t* row = bits + d.stride * static_cast<size_t>(memoryRow) + x * d.bits / 8;
                size_t n = (static_cast<size_t>(width) * d.bits + 7) / 8;
                std::memcpy(out, row, n);
              });
    }
  }
  kind = Tile();
  kind.colourType = 2;
  for (int k = d.bits <= 8 ? 1 : 0; k < p.levels; ++k) {
    if (k > 0) {
      image = HalfOf(image);
    }
    for (int y0 = 0; y0 < image.height; y0 += kTileSize) {
      AddBand(writer, folder, p, 1 << k, image.width, y0, std::min(kTileSize, image.height - y0), kind,
              [&](int x, int width, int r, uint8_t* out) {
                std::memcpy(out, image.Pixel(x, y0 + r), static_cast<size_t>(width) * 3);
              });
    }
  }
  p.smallest = std::move(image);
}

void RemoveQuietly(const std::string& path) {
  std::error_code ignored;
  fs::remove_all(path, ignored);
}

} // namespace

Pyramid WritePyramid(const uint8_t* dib, size_t size, const std::string& folder, const std::string& id, int threads) {
  DibLayout d;
  std::string error;
  if (!ReadDibLayout(dib, size, d, error) || PackedDibSize(dib, size) == 0) {
    throw Failure(error.empty() ? "the bitmap's pixels are cut off" : error);
  }
  Pyramid p;
  p.width = d.width;
  p.height = d.height;
  p.levels = LevelCount(d.width, d.height);
  // Written beside the folder and put in its place when complete.
  std::string fresh = folder + ".new-" + std::to_string(getpid());
  RemoveQuietly(fresh);
  MakeFolder(fresh);
  try {
    TileWriter writer(std::max(1, threads));
    if (d.bits == 1 && d.colours == 2) {
      BilevelPyramid(d, dib + d.packedBitsOffset, p, fresh, writer).Run();
    } else {
      ColourPyramid(d, dib, size, p, fresh, writer);
    }
    writer.Finish();
    std::string info = ImageInfo(p, id).dump(1, ' ', false, Json::error_handler_t::replace) + "\n";
    WriteNewFile(fresh + "/info.json", std::vector<uint8_t>(info.begin(), info.end()));
  } catch (...) {
    RemoveQuietly(fresh);
    throw;
  }
  std::string old = folder + ".old-" + std::to_string(getpid());
  bool had = access(folder.c_str(), F_OK) == 0;
  if ((had && std::rename(folder.c_str(), old.c_str()) != 0) || std::rename(fresh.c_str(), folder.c_str()) != 0) {
    int code = errno;
    RemoveQuietly(fresh);
    throw Failure(WriteErrorText(folder, code));
  }
  if (had) {
    RemoveQuietly(old);
  }
  return p;
}

Json ImageInfo(const Pyramid& p, const std::string& id) {
  Json scales = Json::array();
  for (int k = 0; k < p.levels; ++k) {
    scales.push_back(1 << k);
  }
  return {{"@context", "http://iiif.io/api/image/3/context.json"},
          {"id", id},
          {"type", "ImageService3"},
          {"protocol", "http://iiif.io/api/image"},
          {"profile", "level0"},
          {"width", p.width},
          {"height", p.height},
          {"tiles", {{{"width", kTileSize}, {"scaleFactors", scales}}}},
          {"preferredFormats", {"png"}}};
}

} // namespace tool
