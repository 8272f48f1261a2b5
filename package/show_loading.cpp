#include <cstdlib>
#include <cstring>

#include "package/install_offer.h"
#include "package/show_state.h"
#include "platform/win32.h"

namespace {

// Copies a text payload into a 128-byte field: up to its NUL, at most 127
// characters, and never past the payload's end.
void CopyShowText(char (&field)[kShowTextSize], const ShowRecord& record) {
  size_t limit = record.length > 0 ? size_t(record.length) : 0;
  if (limit > kShowTextSize - 1) limit = kShowTextSize - 1;
  size_t n = 0;
  if (record.payload != nullptr) {
    const void* nul = std::memchr(record.payload, 0, limit);
    n = nul ? size_t(static_cast<const unsigned char*>(nul) - record.payload) : limit;
    std::memcpy(field, record.payload, n);
  }
  field[n] = '\0';
}

void TakeRecord(const ShowRecord& record) {
  switch (record.type) {
    case ShowRecordType::ShowName:
      CopyShowText(showState.showName, record);
      break;
    case ShowRecordType::ShowTitle:
      CopyShowText(showState.showTitle, record);
      break;
    case ShowRecordType::CreditLine:
      CopyShowText(showState.creditLine, record);
      break;
    case ShowRecordType::InfoLine:
      CopyShowText(showState.infoLine, record);
      break;
    case ShowRecordType::ReadmeText:
      showState.readmeText = reinterpret_cast<const char*>(record.payload);
      showState.readmeLength =
          record.payload ? int32_t(std::strlen(showState.readmeText)) : 0;  // payloads end in NUL
      break;
    case ShowRecordType::Image:
      showState.images[showState.imageCount++] = &record;
      break;
    case ShowRecordType::Sound:
      showState.sounds[showState.soundCount++] = &record;
      break;
    default:
      break;
  }
}

bool EndsWithExe(const char* path) {
  size_t n = std::strlen(path);
  if (n < 3) return false;
  const char* tail = path + n - 3;
  return (tail[0] | 0x20) == 'e' && (tail[1] | 0x20) == 'x' && (tail[2] | 0x20) == 'e';
}

}  // namespace

FILE* ReadShowPackage(const char* path, const char** message) {
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    *message = "Cannot open file!";
    return nullptr;
  }
  unsigned char trailer[kTrailerSize] = {};
  uint32_t first = 0, second = 0;
  if (std::fseek(file, 0, SEEK_END) == 0) {
    long length = std::ftell(file);
    // A file shorter than the trailer leaves both copies zero, so the table
    // read below fails on its marker.
    if (length >= kTrailerSize && std::fseek(file, length - kTrailerSize, SEEK_SET) == 0 &&
        std::fread(trailer, 1, sizeof trailer, file) == sizeof trailer) {
      std::memcpy(&first, trailer, 4);
      std::memcpy(&second, trailer + 4, 4);
    }
  }
  if (first != second) {
    *message = "Corrupted scr file (pointer)!";
    std::fclose(file);
    return nullptr;
  }
  // Offsets stay below 2^31; one beyond would wrap when the file is positioned.
  if (first > 0x7FFFFFFFu || ReadRecordTable(file, first) < 1) {
    *message = "Corrupted scr file (OPC)!";
    std::fclose(file);
    return nullptr;
  }
  for (int16_t i = 0; const ShowRecord* record = RecordAt(i); ++i)
    TakeRecord(*record);
  return file;
}

FILE* LoadShow() {
  ClearRecordTable();
  char path[MAX_PATH] = {};
  GetModuleFileNameA(GetModuleHandleA(nullptr), path, sizeof path);
  const char* message = nullptr;
  FILE* packageFile = ReadShowPackage(path, &message);
  if (packageFile == nullptr) FatalError(message);
  if (EndsWithExe(path)) {
    OfferInstall(path);
    std::exit(0);
  }
  LoadSettings();
  showState.soundAvailable = waveOutGetNumDevs() >= 1 ? 1 : 0;
  if (showState.soundCount < 1) showState.soundAvailable = 0;
  return packageFile;
}

void FatalError(const char* message) {
  MessageBeep(0xFFFFFFFF);
  MessageBoxA(nullptr, message, "Error", MB_OK);
  std::exit(0);
}
