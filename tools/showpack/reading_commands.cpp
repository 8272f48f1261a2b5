// list and extract: both read the package through the player's own reader, so
// that they see exactly what the player sees.
#include <cinttypes>
#include <filesystem>
#include <string>
#include <vector>

#include "package/show_state.h"
#include "tools/showpack/commands.h"
#include "tools/showpack/show_reading.h"

namespace fs = std::filesystem;

namespace {

std::string PictureProblem(const std::string& path, int32_t picture, const char* problem) {
  return "showpack: " + path + ": picture " + std::to_string(picture + 1) + ": " + problem;
}

std::string TypeName(ShowRecordType type) {
  switch (type) {
    case ShowRecordType::ShowName:
      return "ShowName";
    case ShowRecordType::ShowTitle:
      return "ShowTitle";
    case ShowRecordType::CreditLine:
      return "CreditLine";
    case ShowRecordType::InfoLine:
      return "InfoLine";
    case ShowRecordType::ReadmeText:
      return "ReadmeText";
    case ShowRecordType::Image:
      return "Image";
    case ShowRecordType::Sound:
      return "Sound";
    default:
      break;
  }
  return "type " + std::to_string(int(type));
}

int RunList(ArgumentList& args) {
  bool help = false;
  std::vector<std::string> operands = Operands(args, 1, nullptr, &help);
  if (help) return PrintHelp(kListCommand);
  const std::string& path = operands[0];
  ReadShow(path);
  uint64_t fileLength = FileLength(path);

  std::printf("name: %s\ntitle: %s\ncredit: %s\ninfo: %s\nreadme: %" PRId32 " bytes\n",
              showState.showName, showState.showTitle, showState.creditLine, showState.infoLine,
              showState.readmeLength > 0 ? showState.readmeLength : 0);
  int32_t picture = 0;
  for (int16_t i = 0; const ShowRecord* record = RecordAt(i); ++i) {
    std::printf("%4d %-10s ", int(i), TypeName(record->type).c_str());
    if (record->type == ShowRecordType::Image) {
      std::printf("0x%08" PRIX32 "-0x%08" PRIX32, record->start, record->end);
      if (const char* problem = ExtentProblem(*record, fileLength)) {
        std::fprintf(stderr, "%s\n", PictureProblem(path, picture, problem).c_str());
      }
      ++picture;
    } else {
      std::printf("%" PRId32 " bytes", record->length);
    }
    std::printf(" checksum 0x%04X\n", unsigned(record->checksum));
  }
  std::printf("pictures: %" PRId32 "\nsounds: %" PRId32 "\n", showState.imageCount,
              showState.soundCount);
  return kExitSuccess;
}

std::string Numbered(const char* stem, int32_t index, const char* extension) {
  char name[32];
  std::snprintf(name, sizeof name, "%s-%03d.%s", stem, int(index + 1), extension);
  return name;
}

std::string ShowTextFile() {
  return std::string("name: ") + showState.showName + "\ntitle: " + showState.showTitle +
         "\ncredit: " + showState.creditLine + "\ninfo: " + showState.infoLine + "\n";
}

std::string Payload(const ShowRecord& record) {
  if (record.payload == nullptr) return std::string();
  return std::string(reinterpret_cast<const char*>(record.payload), size_t(record.length));
}

int RunExtract(ArgumentList& args) {
  bool force = false, help = false;
  std::vector<std::string> operands = Operands(args, 2, &force, &help);
  if (help) return PrintHelp(kExtractCommand);
  const std::string& path = operands[0];
  const fs::path dir(operands[1]);
  FilePtr file = ReadShow(path);
  uint64_t fileLength = FileLength(path);

  std::vector<std::string> names;
  for (int32_t i = 0; i < showState.imageCount; ++i)
    names.push_back(Numbered("picture", i, "jpg"));
  for (int32_t i = 0; i < showState.soundCount; ++i)
    names.push_back(Numbered("sound", i, "wav"));
  if (showState.readmeLength > 0) names.push_back("readme.txt");
  names.push_back("show.txt");
  // Nothing is written unless everything may be.
  for (const std::string& name : names) {
    std::error_code error;
    if (!force && fs::exists(dir / name, error)) {
      throw CommandFailure(kExitRefused, (dir / name).string() + ": exists (--force replaces it)");
    }
  }
  std::error_code error;
  fs::create_directories(dir, error);
  if (error) throw CommandFailure(kExitRefused, dir.string() + ": " + error.message());

  int exitCode = kExitSuccess;
  for (int32_t i = 0; i < showState.imageCount; ++i) {
    const ShowRecord& image = *showState.images[i];
    if (const char* problem = ExtentProblem(image, fileLength)) {
      std::fprintf(stderr, "%s\n", PictureProblem(path, i, problem).c_str());
      exitCode = kExitCorrupt;
      continue;
    }
    std::string bytes(image.end - image.start, '\0');
    if (std::fseek(file.get(), long(image.start), SEEK_SET) != 0 ||
        std::fread(&bytes[0], 1, bytes.size(), file.get()) != bytes.size()) {
      throw CommandFailure(kExitRefused, path + ": cannot read");
    }
    WriteWholeFile((dir / Numbered("picture", i, "jpg")).string(), bytes);
  }
  for (int32_t i = 0; i < showState.soundCount; ++i) {
    WriteWholeFile((dir / Numbered("sound", i, "wav")).string(), Payload(*showState.sounds[i]));
  }
  if (showState.readmeLength > 0) {
    WriteWholeFile((dir / "readme.txt").string(),
                   std::string(showState.readmeText, size_t(showState.readmeLength)));
  }
  WriteWholeFile((dir / "show.txt").string(), ShowTextFile());
  return exitCode;
}

}  // namespace

const Command kListCommand = {
    "list",
    "list FILE",
    "Prints the show that FILE carries, as the player reads it: its texts, each\n"
    "record (index, type, picture extent or payload length, checksum) and the\n"
    "numbers of pictures and sounds.\n",
    RunList,
};

const Command kExtractCommand = {
    "extract",
    "extract [--force] FILE DIR",
    "Writes the show that FILE carries into DIR, created if missing: picture-001.jpg...,\n"
    "sound-001.wav..., readme.txt (if there is one) and show.txt with its texts.\n"
    "  --force   replace files that exist in DIR\n",
    RunExtract,
};
