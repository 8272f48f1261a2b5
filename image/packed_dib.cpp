// Loading BMP files into packed bitmaps.
//
// Only uncompressed bitmaps whose block really holds every row are accepted:
// the drawing code finds rows by arithmetic on the header, so a header that
// claims more than was read would send it past the end of the block. Only
// bottom-up ones (positive height) are accepted: fitting and drawing take the
// height as the picture's, and the converter writes no other kind. A header
// of 0 planes is refused, as GDI refuses to draw it; other counts draw as one.
#include "image/packed_dib.h"

#include <cstring>

namespace {

const WORD kBitmapType = 0x4D42;  // "BM"
const UINT kFileHeaderSize = 14;
const DWORD kInfoHeaderSize = 40;
// Larger headers (up to BITMAPV5HEADER) keep their place in the block, but
// only their first 40 bytes are read; a smaller one would misplace the table.
const DWORD kLargestHeaderSize = 124;
const SIZE_T kFirstBlockSize = kInfoHeaderSize + 256 * sizeof(RGBQUAD);
// Reads go in pieces below 32 KB, which a 16-bit int can count.
const uint32_t kPieceSize = 0x7FFF;

uint16_t LittleEndian16(const unsigned char* bytes) {
  return uint16_t(bytes[0] | bytes[1] << 8);
}

uint32_t LittleEndian32(const unsigned char* bytes) {
  return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
         uint32_t(bytes[3]) << 24;
}

// Entries in a full colour table; 16-, 24- and 32-bit pixels need none.
uint32_t FullColorCount(WORD bitCount) {
  switch (bitCount) {
    case 1:
      return 2;
    case 4:
      return 16;
    case 8:
      return 256;
    default:
      return 0;
  }
}

bool UsableBitCount(WORD bitCount) {
  return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
         bitCount == 32;
}

PackedDib Discard(PackedDib dib) {
  GlobalUnlock(dib);
  GlobalFree(dib);
  return nullptr;
}

// Checks the information header just read and fills in its colours-used and
// image-size fields when they are 0. Gives the number of colour-table entries
// in the file, or false when the bitmap cannot be used.
bool CompleteHeader(BITMAPINFOHEADER* header, uint32_t* colorCount) {
  if (header->biSize < kInfoHeaderSize || header->biSize > kLargestHeaderSize) return false;
  if (header->biWidth <= 0 || header->biHeight <= 0 || header->biPlanes == 0) return false;
  if (!UsableBitCount(header->biBitCount) || header->biCompression != BI_RGB) return false;

  uint32_t colors = header->biClrUsed;
  uint32_t mostColors = header->biBitCount <= 8 ? FullColorCount(header->biBitCount) : 256;
  if (colors == 0) {
    colors = FullColorCount(header->biBitCount);
    header->biClrUsed = colors;
  } else if (colors > mostColors) {
    return false;
  }

  // 64 bits hold these products for any field values.
  uint64_t rowBytes = (uint64_t(header->biWidth) * header->biBitCount + 31) / 32 * 4;
  uint64_t pixelBytes = rowBytes * uint64_t(header->biHeight);
  if (pixelBytes > UINT32_MAX) return false;
  if (header->biSizeImage == 0) {
    header->biSizeImage = DWORD(pixelBytes);
  } else if (header->biSizeImage < pixelBytes) {
    return false;
  }
  *colorCount = colors;
  return true;
}

}  // namespace

PackedDib LoadPackedDib(const char* fileName) {
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  OFSTRUCT info;
  HFILE file = OpenFile(fileName, &info, OF_READ);
  PackedDib dib = nullptr;
  if (file != HFILE_ERROR) {
    dib = ReadPackedDib(file);
    _lclose(file);
  }
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  return dib;
}

PackedDib ReadPackedDib(HFILE file) {
  PackedDib dib = GlobalAlloc(GMEM_MOVEABLE, kFirstBlockSize);
  if (dib == nullptr) return nullptr;
  auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(dib));
  if (header == nullptr) {
    GlobalFree(dib);
    return nullptr;
  }
  unsigned char fileHeader[kFileHeaderSize];
  if (_lread(file, fileHeader, kFileHeaderSize) != kFileHeaderSize ||
      LittleEndian16(fileHeader) != kBitmapType) {
    return Discard(dib);
  }
  uint32_t pixelOffset = LittleEndian32(fileHeader + 10);
  uint32_t colors = 0;
  if (_lread(file, header, kInfoHeaderSize) != kInfoHeaderSize ||
      !CompleteHeader(header, &colors)) {
    return Discard(dib);
  }
  const DWORD headerSize = header->biSize;
  const DWORD imageSize = header->biSizeImage;
  const UINT tableBytes = colors * sizeof(RGBQUAD);
  // The part of a larger header that is not read must not pass for data.
  std::memset(reinterpret_cast<unsigned char*>(header) + kInfoHeaderSize, 0,
              headerSize - kInfoHeaderSize);
  // SIZE_T has 32 bits on Windows: a sum beyond them would wrap to a small block.
  uint64_t blockSize = uint64_t(headerSize) + tableBytes + imageSize;
  if (blockSize > UINT32_MAX) return Discard(dib);

  GlobalUnlock(dib);
  PackedDib grown = GlobalReAlloc(dib, SIZE_T(blockSize), 0);
  if (grown == nullptr) {
    GlobalFree(dib);
    return nullptr;
  }
  dib = grown;
  auto* bytes = static_cast<unsigned char*>(GlobalLock(dib));
  if (bytes == nullptr) {
    GlobalFree(dib);
    return nullptr;
  }
  // A table cut short by the end of the file is no reason to refuse when the
  // pixels lie elsewhere; its missing entries are black rather than left over.
  UINT tableRead = _lread(file, bytes + headerSize, tableBytes);
  if (tableRead > tableBytes) tableRead = 0;
  std::memset(bytes + headerSize + tableRead, 0, tableBytes - tableRead);
  if (pixelOffset != 0 && _llseek(file, LONG(pixelOffset), FILE_BEGIN) == HFILE_ERROR) {
    return Discard(dib);
  }
  if (!ReadChunked(file, bytes + headerSize + tableBytes, imageSize)) return Discard(dib);
  GlobalUnlock(dib);
  return dib;
}

bool ReadChunked(HFILE file, void* destination, uint32_t count) {
  auto* bytes = static_cast<unsigned char*>(destination);
  while (count > 0) {
    UINT piece = count < kPieceSize ? count : kPieceSize;
    if (_lread(file, bytes, piece) != piece) return false;
    bytes += piece;
    count -= piece;
  }
  return true;
}

uint16_t FreePackedDib(PackedDib dib) {
  GlobalFree(dib);
  return 0;
}

int32_t PackedDibWidth(const BITMAPINFOHEADER* header) {
  return header->biWidth;
}

int32_t PackedDibHeight(const BITMAPINFOHEADER* header) {
  return header->biHeight;
}

uint16_t PackedDibColorCount(const BITMAPINFOHEADER* header) {
  if (header->biClrUsed != 0) return uint16_t(header->biClrUsed);
  return uint16_t(FullColorCount(header->biBitCount));
}

uint16_t PackedDibColorTableBytes(const BITMAPINFOHEADER* header) {
  return uint16_t(PackedDibColorCount(header) * sizeof(RGBQUAD));
}

const unsigned char* PackedDibPixels(const BITMAPINFOHEADER* header) {
  return reinterpret_cast<const unsigned char*>(header) + header->biSize +
         PackedDibColorTableBytes(header);
}
