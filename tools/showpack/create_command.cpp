#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/showpack/commands.h"
#include "tools/showpack/file_ops.h"
#include "tools/showpack/package_writer.h"
#include "tools/showpack/picture_check.h"
#include "tools/showpack/sound_check.h"

namespace fs = std::filesystem;

namespace {

struct CreateOptions {
  std::string out;
  std::string player;
  std::optional<std::string> readme;
  ShowTexts texts;
  std::vector<std::string> sounds;
  std::vector<std::string> pictures;
  bool force = false;
};

// Fills options from the command line; false when help was asked for.
bool ParseOptions(ArgumentList& args, CreateOptions& options) {
  while (!args.AtEnd()) {
    if (!args.NextIsOption()) {
      options.pictures.push_back(args.Take());
      continue;
    }
    std::string option = args.Take();
    if (IsHelpOption(option)) return false;
    if (option == "-o") {
      options.out = args.TakeValue(option);
    } else if (option == "--player") {
      options.player = args.TakeValue(option);
    } else if (option == "--name") {
      options.texts.name = args.TakeValue(option);
    } else if (option == "--title") {
      options.texts.title = args.TakeValue(option);
    } else if (option == "--credit") {
      options.texts.credit = args.TakeValue(option);
    } else if (option == "--info") {
      options.texts.info = args.TakeValue(option);
    } else if (option == "--readme") {
      options.readme = args.TakeValue(option);
    } else if (option == "--sound") {
      options.sounds.push_back(args.TakeValue(option));
    } else if (option == "--force") {
      options.force = true;
    } else {
      throw UsageError("unknown option " + option);
    }
  }
  if (options.out.empty()) throw UsageError("no output file given (-o OUT)");
  if (options.pictures.empty()) throw UsageError("no pictures given");
  return true;
}

void CheckText(const char* option, const std::optional<std::string>& text) {
  if (text && text->size() > size_t(kShowTextSize - 1)) {
    throw CommandFailure(kExitRefused, std::string(option) + ": text of " +
                                           std::to_string(text->size()) + " characters; at most " +
                                           std::to_string(kShowTextSize - 1) + " fit");
  }
}

uint64_t InputSize(const std::string& path) {
  std::error_code error;
  fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) throw CommandFailure(kExitRefused, path + ": cannot read: no such file");
  if (!fs::is_regular_file(status)) {
    throw CommandFailure(kExitRefused, path + ": cannot read: not a regular file");
  }
  uint64_t size = fs::file_size(path, error);
  if (error) throw CommandFailure(kExitRefused, path + ": cannot read: " + error.message());
  return size;
}

// Reads a whole input that must still have the size it had when the package was laid out.
std::string ReadWhole(const std::string& path, uint64_t size) {
  FilePtr file = OpenInput(path);
  std::string bytes(size_t(size), '\0');
  if (std::fread(&bytes[0], 1, bytes.size(), file.get()) != bytes.size() ||
      std::fgetc(file.get()) != EOF) {
    throw CommandFailure(kExitRefused, path + ": changed while being read");
  }
  return bytes;
}

// Decodes every picture as the player will; a picture it cannot show as it is
// gets converted bytes in converted[i], and one that does not decode is refused.
void CheckPictures(const std::vector<std::string>& pictures, PackagePlan& plan,
                   std::vector<std::optional<std::string>>& converted) {
  converted.assign(pictures.size(), std::nullopt);
  for (size_t i = 0; i < pictures.size(); ++i) {
    PictureCheck check = CheckPicture(pictures[i]);
    if (check.outcome == PictureCheck::Outcome::Refused) {
      throw CommandFailure(kExitRefused, pictures[i] + ": cannot be decoded: " + check.note);
    }
    if (!check.warning.empty()) {
      std::fprintf(stderr, "showpack: %s: warning: %s\n", pictures[i].c_str(),
                   check.warning.c_str());
    }
    if (check.outcome == PictureCheck::Outcome::Converted) {
      std::fprintf(stderr, "showpack: %s: %s\n", pictures[i].c_str(), check.note.c_str());
      plan.pictureSizes[i] = check.convertedJpeg.size();
      converted[i] = std::move(check.convertedJpeg);
    }
  }
}

// The players read a sound as far as its header says: it must be whole, and
// in a format they both play.
void CheckSound(const std::string& path, const std::string& bytes) {
  std::string fault = SoundFault(bytes);
  if (!fault.empty()) throw CommandFailure(kExitRefused, path + ": " + fault);
}

// Reads the sounds and the readme, which live in the record table, and encodes
// the package from the table on.
std::string ReadTail(const CreateOptions& options, const PackagePlan& plan,
                     const PackageLayout& layout) {
  std::vector<std::string> sounds;
  for (size_t i = 0; i < options.sounds.size(); ++i) {
    sounds.push_back(ReadWhole(options.sounds[i], plan.soundSizes[i]));
    CheckSound(options.sounds[i], sounds.back());
  }
  std::optional<std::string> readme;
  if (options.readme) readme = ReadWhole(*options.readme, *plan.readmeSize);
  return EncodePackageTail(options.texts, readme, sounds, layout);
}

// The new output, written under a temporary name in the output's folder and
// renamed over the output once complete; removed if it never gets there.
class TemporaryOutput {
 public:
  TemporaryOutput(const std::string& out, const std::string& modeSource) {
    fs::path target(out);
    std::string prefix = "." + target.filename().string() + ".showpack-";
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100 && file_ == nullptr; ++attempt) {
      path_ = (target.parent_path() / (prefix + std::to_string(stamp + attempt) + ".tmp")).string();
      bool exists = false;
      file_ = CreateNewFile(path_, modeSource, &exists);
      if (file_ == nullptr && !exists) break;
    }
    if (file_ == nullptr)
      throw CommandFailure(kExitRefused, out + ": cannot create a file beside it");
  }
  ~TemporaryOutput() {
    if (file_ != nullptr) std::fclose(file_);
    if (!committed_) std::remove(path_.c_str());
  }
  TemporaryOutput(const TemporaryOutput&) = delete;
  TemporaryOutput& operator=(const TemporaryOutput&) = delete;

  FILE* file() const { return file_; }
  // Closes the file and renames it to out.
  void Commit(const std::string& out) {
    bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed) throw CommandFailure(kExitRefused, out + ": cannot write");
    if (!RenameOver(path_, out)) throw CommandFailure(kExitRefused, out + ": cannot replace");
    committed_ = true;
  }

 private:
  std::string path_;
  FILE* file_ = nullptr;
  bool committed_ = false;
};

void WriteBytes(FILE* file, const std::string& bytes, const std::string& out) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
    throw CommandFailure(kExitRefused, out + ": cannot write");
  }
}

void WriteZeros(FILE* file, uint64_t count, const std::string& out) {
  static const char zeros[16] = {};
  while (count > 0) {
    size_t chunk = count < sizeof zeros ? size_t(count) : sizeof zeros;
    if (std::fwrite(zeros, 1, chunk, file) != chunk) {
      throw CommandFailure(kExitRefused, out + ": cannot write");
    }
    count -= chunk;
  }
}

// Copies all of an input, which must still have the size it had when the
// package was laid out.
void CopyInput(const std::string& path, uint64_t size, FILE* to, const std::string& out) {
  FilePtr from = OpenInput(path);
  if (!CopyBytes(from.get(), to, size) || std::fgetc(from.get()) != EOF || std::ferror(to)) {
    throw CommandFailure(kExitRefused, std::ferror(to) ? out + ": cannot write"
                                                       : path + ": changed while being read");
  }
}

int RunCreate(ArgumentList& args) {
  CreateOptions options;
  if (!ParseOptions(args, options)) {
    std::printf("usage: showpack %s\n%s", kCreateCommand.usage, kCreateCommand.help);
    return kExitSuccess;
  }
  CheckText("--name", options.texts.name);
  CheckText("--title", options.texts.title);
  CheckText("--credit", options.texts.credit);
  CheckText("--info", options.texts.info);

  std::error_code error;
  if (!options.force && fs::exists(options.out, error)) {
    throw CommandFailure(kExitRefused, options.out + ": exists (--force replaces it)");
  }

  // Everything is measured before anything is read, so that a show with too
  // many records is refused at once.
  PackagePlan plan;
  plan.texts = options.texts;
  if (!options.player.empty()) plan.prefixSize = InputSize(options.player);
  if (options.readme) plan.readmeSize = InputSize(*options.readme);
  for (const std::string& picture : options.pictures)
    plan.pictureSizes.push_back(InputSize(picture));
  for (const std::string& sound : options.sounds)
    plan.soundSizes.push_back(InputSize(sound));
  size_t records = RecordCount(plan);
  if (records > size_t(kMaxShowRecords)) {
    throw CommandFailure(kExitRefused, options.out + ": the show would have " +
                                           std::to_string(records) + " records; at most " +
                                           std::to_string(kMaxShowRecords) + " fit");
  }

  // Unreadable or wrong inputs are refused before the output is begun.
  if (!options.player.empty()) OpenInput(options.player);
  std::vector<std::optional<std::string>> convertedPictures;
  CheckPictures(options.pictures, plan, convertedPictures);
  PackageLayout layout = LayOutPackage(plan);
  if (layout.fileSize >= kPackageOffsetLimit) {
    throw CommandFailure(kExitRefused, options.out + ": would be " +
                                           std::to_string(layout.fileSize) +
                                           " bytes; the player reads files below " +
                                           std::to_string(kPackageOffsetLimit) + " bytes");
  }
  std::string tail = ReadTail(options, plan, layout);

  TemporaryOutput output(options.out, options.player);
  if (!options.player.empty())
    CopyInput(options.player, plan.prefixSize, output.file(), options.out);
  uint64_t position = plan.prefixSize;
  for (size_t i = 0; i < options.pictures.size(); ++i) {
    WriteZeros(output.file(), layout.pictureStarts[i] - position, options.out);
    if (convertedPictures[i]) {
      WriteBytes(output.file(), *convertedPictures[i], options.out);
    } else {
      CopyInput(options.pictures[i], plan.pictureSizes[i], output.file(), options.out);
    }
    position = layout.pictureEnds[i];
  }
  WriteZeros(output.file(), layout.tableOffset - position, options.out);
  if (std::fwrite(tail.data(), 1, tail.size(), output.file()) != tail.size()) {
    throw CommandFailure(kExitRefused, options.out + ": cannot write");
  }
  output.Commit(options.out);

  std::printf("%s: %llu bytes, pictures: %zu, sounds: %zu\n", options.out.c_str(),
              static_cast<unsigned long long>(layout.fileSize), options.pictures.size(),
              options.sounds.size());
  return kExitSuccess;
}

}  // namespace

const Command kCreateCommand = {
    "create",
    "create -o OUT [--player FILE] [--name TEXT] [--title TEXT] [--credit TEXT] [--info TEXT] "
    "[--readme FILE] [--sound FILE.wav]... [--force] PICTURE.jpg...",
    "Writes OUT: the player's bytes followed by a show of the pictures, in order.\n"
    "  -o OUT          the file to write\n"
    "  --player FILE   the player program to put first (none: the package alone)\n"
    "  --name, --title, --credit, --info TEXT\n"
    "                  the show's texts, at most 127 characters each\n"
    "  --readme FILE   a text file shown as the show's readme\n"
    "  --sound FILE    a WAV file to play; may be given more than once\n"
    "  --force         replace OUT if it exists\n"
    "Every picture is decoded as the player decodes it: CMYK and YCCK pictures\n"
    "are converted to RGB JPEGs, and pictures that do not decode are refused.\n",
    RunCreate,
};
