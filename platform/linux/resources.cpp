// The program's resources: the .res file that windres makes from
// resources/lumivane.rc, embedded in the program as bytes, read in place.
//
// Implemented:
//   LoadIconA  an icon group of the program's own module, by number or by
//              name; the same handle each time, as Windows' shared icons.
//              The group's image nearest 32 x 32 is decoded (1, 4, 8, 24 or
//              32 bits per pixel, with its AND mask) to pixels. NULL for a
//              name that the resources do not hold.
// For the rest of the layer: a resource's bytes by type and name, an icon's
// pixels, and an SDL window's icon.
// Not implemented: system icons (IDI_*, or any other module than the
//   program's), PNG-compressed icon images, resources by language (the first
//   resource of a type and name is taken), DestroyIcon.
#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/handle_table.h"
#include "platform/linux/unsupported.h"
#include "platform/linux/windowing.h"
#include "resources/embedded_resources.h"

namespace {

// A type or name of a .res entry: a number, or text when the number is 0.
struct ResourceId {
  WORD number = 0;
  std::string text;  // upper case, as Windows compares names
};

struct Resource {
  ResourceId type;
  ResourceId name;
  const BYTE* data;
  size_t size;
};

struct Icon {
  const Resource* group;  // entries of Resources(), which never change
  int width;
  int height;
  std::vector<uint32_t> pixels;  // 0xAARRGGBB, top row first
};

uint16_t Word(const BYTE* at) {
  return uint16_t(at[0] | at[1] << 8);
}

uint32_t Dword(const BYTE* at) {
  return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

// Reads a type or name at *at, within end; false when it runs past end.
bool ReadId(const BYTE** at, const BYTE* end, ResourceId* id) {
  if (end - *at < 2) return false;
  if (Word(*at) == 0xFFFF) {
    if (end - *at < 4) return false;
    id->number = Word(*at + 2);
    *at += 4;
    return true;
  }
  for (;;) {
    if (end - *at < 2) return false;
    uint16_t unit = Word(*at);
    *at += 2;
    if (unit == 0) return true;
    // Names in the resource language are ASCII.
    id->text += char(unit < 0x80 ? toupper(unit) : '?');
  }
}

// The entries of the embedded .res file; a damaged file gives what comes
// before the damage.
const std::vector<Resource>& Resources() {
  static const std::vector<Resource> resources = [] {
    std::vector<Resource> found;
    const BYTE* at = kEmbeddedResources;
    const BYTE* end = kEmbeddedResources + kEmbeddedResourcesSize;
    while (end - at >= 8) {
      uint32_t dataSize = Dword(at);
      uint32_t headerSize = Dword(at + 4);
      if (headerSize < 8 || headerSize > size_t(end - at) ||
          dataSize > size_t(end - at) - headerSize) {
        break;
      }
      Resource resource;
      const BYTE* field = at + 8;
      const BYTE* headerEnd = at + headerSize;
      if (!ReadId(&field, headerEnd, &resource.type) ||
          !ReadId(&field, headerEnd, &resource.name)) {
        break;
      }
      resource.data = at + headerSize;
      resource.size = dataSize;
      // The file opens with an empty entry of type 0.
      if (resource.type.number != 0 || !resource.type.text.empty()) found.push_back(resource);
      size_t step = headerSize + ((dataSize + 3) & ~3u);
      if (step > size_t(end - at)) break;
      at += step;
    }
    return found;
  }();
  return resources;
}

bool NameMatches(const ResourceId& id, LPCSTR name) {
  uintptr_t value = reinterpret_cast<uintptr_t>(name);
  if (value < 0x10000) return id.text.empty() && id.number == value;
  // "#123" names the number 123, as on Windows.
  if (name[0] == '#') return id.text.empty() && id.number == strtoul(name + 1, nullptr, 10);
  return !id.text.empty() && strcasecmp(id.text.c_str(), name) == 0;
}

const Resource* Find(WORD type, LPCSTR name) {
  for (const Resource& resource : Resources()) {
    if (resource.type.text.empty() && resource.type.number == type &&
        NameMatches(resource.name, name)) {
      return &resource;
    }
  }
  return nullptr;
}

// One image of an icon: BITMAPINFOHEADER of twice the height, colours, the
// colour bitmap and the AND mask, each row padded to 4 bytes, bottom row
// first. False for an image that this decoder does not read.
bool DecodeIconImage(const BYTE* data, size_t size, Icon* icon) {
  if (size >= 8 && std::memcmp(data, "\x89PNG", 4) == 0) {
    PlatformUnsupported("LoadIconA", "PNG-compressed icon images");
  }
  if (size < 40 || Dword(data) < 40) return false;
  size_t headerSize = Dword(data);
  int32_t width = int32_t(Dword(data + 4));
  int32_t doubleHeight = int32_t(Dword(data + 8));
  unsigned bits = Word(data + 14);
  uint32_t compression = Dword(data + 16);
  uint32_t used = Dword(data + 32);
  if (width <= 0 || width > 256 || doubleHeight <= 0 || doubleHeight > 512 ||
      compression != BI_RGB) {
    return false;
  }
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
  int32_t height = doubleHeight / 2;
  size_t colours = bits <= 8 ? (used != 0 && used < (1u << bits) ? used : 1u << bits) : 0;
  size_t colourStride = ((size_t(width) * bits + 31) / 32) * 4;
  size_t maskStride = ((size_t(width) + 31) / 32) * 4;
  size_t palette = headerSize;
  size_t colourBits = palette + colours * 4;
  size_t maskBits = colourBits + colourStride * height;
  if (headerSize > size || maskBits + maskStride * height > size) return false;

  icon->width = width;
  icon->height = height;
  icon->pixels.assign(size_t(width) * height, 0);
  for (int32_t row = 0; row < height; ++row) {
    const BYTE* source = data + colourBits + colourStride * (height - 1 - row);
    const BYTE* mask = data + maskBits + maskStride * (height - 1 - row);
    for (int32_t x = 0; x < width; ++x) {
      uint32_t rgb;
      if (bits <= 8) {
        unsigned shift = 8 - bits - (unsigned(x) * bits) % 8;
        unsigned index = (source[size_t(x) * bits / 8] >> shift) & ((1u << bits) - 1);
        const BYTE* quad = data + palette + 4 * (index < colours ? index : 0);
        rgb = uint32_t(quad[2]) << 16 | uint32_t(quad[1]) << 8 | quad[0];
      } else {
        const BYTE* pixel = source + size_t(x) * (bits / 8);
        rgb = uint32_t(pixel[2]) << 16 | uint32_t(pixel[1]) << 8 | pixel[0];
      }
      bool transparent = (mask[x / 8] >> (7 - x % 8)) & 1;
      uint32_t alpha = bits == 32 ? uint32_t(source[size_t(x) * 4 + 3]) << 24 : 0xFF000000u;
      icon->pixels[size_t(row) * width + x] = transparent ? 0 : alpha | rgb;
    }
  }
  return true;
}

// The image of a group (GRPICONDIR with 14-byte entries) nearest 32 x 32,
// more colours first among equals.
bool DecodeGroup(const Resource& group, Icon* icon) {
  if (group.size < 6) return false;
  size_t count = Word(group.data + 4);
  if (group.size < 6 + 14 * count) return false;
  int best = -1;
  long bestScore = 0;
  for (size_t i = 0; i < count; ++i) {
    const BYTE* entry = group.data + 6 + 14 * i;
    int width = entry[0] == 0 ? 256 : entry[0];
    long score = -1000L * std::abs(width - 32) + Word(entry + 6);
    if (best < 0 || score > bestScore) {
      best = int(i);
      bestScore = score;
    }
  }
  if (best < 0) return false;
  WORD imageId = Word(group.data + 6 + 14 * best + 12);
  const Resource* image = Find(3 /* RT_ICON */, MAKEINTRESOURCEA(imageId));
  return image != nullptr && DecodeIconImage(image->data, image->size, icon);
}

// Icons live as long as the process, as the shared icons of Windows do.
HandleTable<std::unique_ptr<Icon>> icons(6);

}  // namespace

bool FindResourceBytes(WORD type, LPCSTR name, const BYTE** data, size_t* size) {
  const Resource* resource = Find(type, name);
  if (resource == nullptr) return false;
  *data = resource->data;
  *size = resource->size;
  return true;
}

bool IconPixels(HICON icon, int* width, int* height, const uint32_t** pixels) {
  std::unique_ptr<Icon>* found = icons.Find(icon);
  if (found == nullptr) return false;
  *width = (*found)->width;
  *height = (*found)->height;
  *pixels = (*found)->pixels.data();
  return true;
}

void SetSdlWindowIcon(SDL_Window* window, HICON icon) {
  int width;
  int height;
  const uint32_t* pixels;
  if (window == nullptr || !IconPixels(icon, &width, &height, &pixels)) return;
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<uint32_t*>(pixels), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (surface == nullptr) return;
  SDL_SetWindowIcon(window, surface);
  SDL_FreeSurface(surface);
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
  if (instance == nullptr || instance != GetModuleHandleA(nullptr)) {
    PlatformUnsupported("LoadIconA", "system icons and icons of other modules");
  }
  if (name == nullptr) return nullptr;
  const Resource* group = Find(14 /* RT_GROUP_ICON */, name);
  if (group == nullptr) return nullptr;
  HICON found = nullptr;
  icons.ForEach([&](uintptr_t handle, std::unique_ptr<Icon>& icon) {
    if (found == nullptr && icon->group == group) found = reinterpret_cast<HICON>(handle);
  });
  if (found != nullptr) return found;
  auto icon = std::make_unique<Icon>();
  icon->group = group;
  if (!DecodeGroup(*group, icon.get())) return nullptr;
  return reinterpret_cast<HICON>(icons.Add(std::move(icon)));
}
