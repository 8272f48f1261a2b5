// check: plays a show's pictures and sounds through the player's own code
// without a screen, and lists what the player would skip.
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "image/jpeg_to_bmp.h"
#include "image/packed_dib.h"
#include "package/show_state.h"
#include "platform/win32.h"
#include "tools/showpack/commands.h"
#include "tools/showpack/show_reading.h"
#include "tools/showpack/sound_check.h"

namespace {

// The temporary files of one picture, named as the player names them.
struct PictureFiles {
  char jpeg[MAX_PATH] = {};
  char bmp[MAX_PATH] = {};
  PictureFiles() {
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    if (GetTempFileNameA(folder, "LVJ", 0, jpeg) == 0 ||
        GetTempFileNameA(folder, "LVB", 0, bmp) == 0) {
      throw CommandFailure(kExitRefused, std::string(folder) + ": cannot make temporary files");
    }
  }
  ~PictureFiles() {
    DeleteFileA(jpeg);
    DeleteFileA(bmp);
  }
  PictureFiles(const PictureFiles&) = delete;
  PictureFiles& operator=(const PictureFiles&) = delete;
};

// Copies the picture's bytes out as the player does: as far as the file
// holds them. False when there are none.
bool CopyPicture(FILE* show, const ShowRecord& picture, uint64_t fileLength, const char* to) {
  if (picture.end <= picture.start || picture.start >= fileLength) return false;
  uint64_t end = picture.end < fileLength ? picture.end : fileLength;
  if (std::fseek(show, long(picture.start), SEEK_SET) != 0) return false;
  FILE* out = std::fopen(to, "wb");
  if (out == nullptr) throw CommandFailure(kExitRefused, std::string(to) + ": cannot write");
  bool copied = CopyBytes(show, out, end - picture.start);
  if (std::fclose(out) != 0) copied = false;
  return copied;
}

// Why the player would skip the picture, or nullptr when it shows it.
const char* PictureSkipReason(FILE* show, const ShowRecord& picture, uint64_t fileLength) {
  PictureFiles files;
  if (!CopyPicture(show, picture, fileLength, files.jpeg)) {
    const char* problem = ExtentProblem(picture, fileLength);
    return problem != nullptr ? problem : "its bytes cannot be read";
  }
  if (ConvertJpegToBmp(files.jpeg, files.bmp) != kBmpComplete) {
    return "the player cannot decode it";
  }
  PackedDib dib = LoadPackedDib(files.bmp);
  if (dib == nullptr) return "the player cannot load its bitmap";
  FreePackedDib(dib);
  return nullptr;
}

int RunCheck(ArgumentList& args) {
  bool help = false;
  std::vector<std::string> operands = Operands(args, 1, nullptr, &help);
  if (help) return PrintHelp(kCheckCommand);
  const std::string& path = operands[0];
  FilePtr show = ReadShow(path);
  const uint64_t fileLength = FileLength(path);

  int32_t skippedPictures = 0, skippedSounds = 0;
  for (int32_t i = 0; i < showState.imageCount; ++i) {
    const ShowRecord& picture = *showState.images[i];
    if (const char* reason = PictureSkipReason(show.get(), picture, fileLength)) {
      std::printf("picture %" PRId32 " (0x%08" PRIX32 "-0x%08" PRIX32 "): skipped: %s\n", i + 1,
                  picture.start, picture.end, reason);
      ++skippedPictures;
    }
  }
  for (int32_t i = 0; i < showState.soundCount; ++i) {
    const ShowRecord& sound = *showState.sounds[i];
    std::string bytes;
    if (sound.length > 0 && sound.payload != nullptr)
      bytes.assign(reinterpret_cast<const char*>(sound.payload), size_t(sound.length));
    std::string fault = SoundFault(bytes);
    if (!fault.empty()) {
      std::printf("sound %" PRId32 " (%" PRId32 " bytes): skipped: %s\n", i + 1, sound.length,
                  fault.c_str());
      ++skippedSounds;
    }
  }

  std::printf("%s: pictures: %" PRId32 ", sounds: %" PRId32 "; ", path.c_str(),
              showState.imageCount, showState.soundCount);
  if (showState.imageCount == 0) {
    std::printf("no pictures: the player would show a black screen\n");
    return kExitCorrupt;
  }
  if (skippedPictures == 0 && skippedSounds == 0) {
    std::printf("everything plays\n");
    return kExitSuccess;
  }
  std::printf("%" PRId32 " pictures and %" PRId32 " sounds would be skipped\n", skippedPictures,
              skippedSounds);
  return kExitCorrupt;
}

}  // namespace

const Command kCheckCommand = {
    "check",
    "check SHOW",
    "Plays every picture and sound of the show that SHOW carries through the\n"
    "player's own decoding, without a screen, and lists each one that the\n"
    "player would skip and why, then a summary line.\n"
    "Exit status: 0 when everything plays; 1 when anything would be skipped,\n"
    "the show has no pictures, or its package is corrupt (with the player's\n"
    "message); 2 when SHOW cannot be read.\n",
    RunCheck,
};
