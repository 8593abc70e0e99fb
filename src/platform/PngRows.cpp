#include "platform/PngRows.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

namespace kirpo {

namespace {
struct MemoryInput {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* in = static_cast<MemoryInput*>(png_get_io_ptr(png));
  if (length > in->size - in->pos) png_error(png, "cut off");
  std::memcpy(out, in->data + in->pos, length);
  in->pos += length;
}

// libpng's messages are not the player's business; damage shows as a false result.
void Quiet(png_structp, png_const_charp) {}
}  // namespace

struct PngRowReader::State {
  png_structp png = nullptr;
  png_infop info = nullptr;
  MemoryInput input{};
  int next_row = 0;
  bool failed = false;
  // An interlaced picture, decoded whole.
  std::vector<uint32_t> whole;
  std::vector<png_bytep> rows;
};

PngRowReader::PngRowReader(const uint8_t* data, size_t size) : s_(std::make_unique<State>()) {
  State& s = *s_;
  s.input = MemoryInput{data, size, 0};
  if (size < 8 || png_sig_cmp(data, 0, 8) != 0) return;
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Quiet, Quiet);
  if (!s.png) return;
  s.info = png_create_info_struct(s.png);
  if (!s.info) return;
  // Nothing with a destructor lives between here and the libpng calls the jump may leave.
  if (setjmp(png_jmpbuf(s.png))) return;
  png_set_read_fn(s.png, &s.input, ReadFromMemory);
  png_read_info(s.png, s.info);
  const png_uint_32 w = png_get_image_width(s.png, s.info), h = png_get_image_height(s.png, s.info);
  if (w == 0 || h == 0 || w > (1u << 15) || h > (1u << 15)) return;
  const int colour = png_get_color_type(s.png, s.info);
  const bool trns = png_get_valid(s.png, s.info, PNG_INFO_tRNS) != 0;
  opaque_format_ = !(colour & PNG_COLOR_MASK_ALPHA) && !trns;
  // Every format to 8-bit blue, green, red, alpha in memory: 0xAARRGGBB on this little-endian
  // machine, as the other decoders give it.
  png_set_expand(s.png);
  png_set_strip_16(s.png);
  png_set_gray_to_rgb(s.png);
  png_set_bgr(s.png);
  if (!(colour & PNG_COLOR_MASK_ALPHA) && !trns) png_set_filler(s.png, 0xFF, PNG_FILLER_AFTER);
  const int passes = png_set_interlace_handling(s.png);
  png_read_update_info(s.png, s.info);
  if (png_get_rowbytes(s.png, s.info) != size_t(w) * 4) return;
  width_ = int(w), height_ = int(h);
  if (passes > 1) {
    s.whole.assign(size_t(w) * h, 0);
    s.rows.resize(h);
    for (png_uint_32 y = 0; y < h; ++y) s.rows[y] = reinterpret_cast<png_bytep>(s.whole.data() + size_t(y) * w);
    png_read_image(s.png, s.rows.data());
    std::vector<png_bytep>().swap(s.rows);
  }
  ok_ = true;
}

PngRowReader::~PngRowReader() {
  if (s_->png) png_destroy_read_struct(&s_->png, s_->info ? &s_->info : nullptr, nullptr);
}

bool PngRowReader::ReadRow(uint32_t* row) {
  State& s = *s_;
  if (!ok_ || s.failed || s.next_row >= height_) return false;
  if (!s.whole.empty()) {
    std::memcpy(row, s.whole.data() + size_t(s.next_row) * width_, size_t(width_) * 4);
    ++s.next_row;
    return true;
  }
  if (setjmp(png_jmpbuf(s.png))) {
    s.failed = true;
    return false;
  }
  png_read_row(s.png, reinterpret_cast<png_bytep>(row), nullptr);
  ++s.next_row;
  return true;
}

namespace {
void WriteToVector(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void FlushNothing(png_structp) {}

// Separate from EncodePngRows so that nothing with a destructor lies between setjmp and the jump.
bool WriteRows(png_structp png, png_infop info, int width, int height, const std::function<bool(int, uint32_t*)>& row,
               uint32_t* buffer, std::vector<uint8_t>* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, WriteToVector, FlushNothing);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  for (int y = 0; y < height; ++y) {
    if (!row(y, buffer)) return false;
    png_write_row(png, reinterpret_cast<png_bytep>(buffer));
  }
  png_write_end(png, info);
  return true;
}
}  // namespace

std::vector<uint8_t> EncodePngRows(int width, int height, const std::function<bool(int, uint32_t*)>& row) {
  std::vector<uint8_t> out;
  if (width <= 0 || height <= 0) return out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Quiet, Quiet);
  if (!png) return out;
  png_infop info = png_create_info_struct(png);
  std::vector<uint32_t> buffer(static_cast<size_t>(width));
  const bool ok = info && WriteRows(png, info, width, height, row, buffer.data(), &out);
  png_destroy_write_struct(&png, info ? &info : nullptr);
  if (!ok) out.clear();
  return out;
}

}  // namespace kirpo
