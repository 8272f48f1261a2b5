#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/showpack/commands.h"
#include "tools/showpack/exif_orientation.h"
#include "tools/showpack/file_ops.h"
#include "tools/showpack/package_writer.h"
#include "tools/showpack/picture_check.h"
#include "tools/showpack/picture_reshape.h"
#include "tools/showpack/show_folder.h"
#include "tools/showpack/sound_check.h"

namespace fs = std::filesystem;

namespace {

constexpr int kDefaultQuality = 90;

struct CreateOptions {
  std::string out;
  std::string player;
  std::optional<std::string> readme;
  ShowTexts texts;
  std::vector<std::string> sounds;
  std::vector<std::string> pictures;  // files and folders, as given
  bool force = false;
  bool soundsFromFolder = false;
  int maxWidth = 0;  // 0: pictures keep their size
  int maxHeight = 0;
  int quality = kDefaultQuality;
};

// A whole number from first to last, all of text.
bool ParseNumber(const std::string& text, int first, int last, int* value) {
  if (text.empty() || text.size() > 9 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  *value = std::stoi(text);
  return *value >= first && *value <= last;
}

// WxH, each side from 1 to 65535 pixels, the most a JPEG picture has.
void ParseMaxSize(const std::string& text, CreateOptions& options) {
  size_t x = text.find_first_of("xX");
  if (x == std::string::npos || !ParseNumber(text.substr(0, x), 1, 65535, &options.maxWidth) ||
      !ParseNumber(text.substr(x + 1), 1, 65535, &options.maxHeight)) {
    throw UsageError("--max-size wants WIDTHxHEIGHT in pixels, e.g. 1920x1080, not " + text);
  }
}

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
    } else if (option == "--sounds-from-folder") {
      options.soundsFromFolder = true;
    } else if (option == "--max-size") {
      ParseMaxSize(args.TakeValue(option), options);
    } else if (option == "--quality") {
      std::string value = args.TakeValue(option);
      if (!ParseNumber(value, 1, 100, &options.quality))
        throw UsageError("--quality wants a whole number from 1 to 100, not " + value);
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

// Puts each folder's JPEG pictures in place of the folder, and its sounds
// after the --sound files when they are asked for.
void ExpandFolders(CreateOptions& options) {
  std::vector<std::string> pictures;
  bool anyFolder = false;
  for (const std::string& operand : options.pictures) {
    std::error_code error;
    if (!fs::is_directory(operand, error)) {
      pictures.push_back(operand);
      continue;
    }
    anyFolder = true;
    std::vector<std::string> found = FolderFiles(operand, {".jpg", ".jpeg"});
    if (found.empty()) {
      throw CommandFailure(kExitRefused, operand + ": no JPEG pictures (.jpg, .jpeg) in it");
    }
    pictures.insert(pictures.end(), found.begin(), found.end());
    if (options.soundsFromFolder) {
      std::vector<std::string> sounds = FolderFiles(operand, {".wav"});
      options.sounds.insert(options.sounds.end(), sounds.begin(), sounds.end());
    }
  }
  if (options.soundsFromFolder && !anyFolder)
    throw UsageError("--sounds-from-folder needs a folder among the pictures");
  options.pictures = std::move(pictures);
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

// Reads a whole input that must still have the size it had when it was measured.
std::string ReadWhole(const std::string& path, uint64_t size) {
  FilePtr file = OpenInput(path);
  std::string bytes(size_t(size), '\0');
  if (std::fread(&bytes[0], 1, bytes.size(), file.get()) != bytes.size() ||
      std::fgetc(file.get()) != EOF) {
    throw CommandFailure(kExitRefused, path + ": changed while being read");
  }
  return bytes;
}

// The players read a sound as far as its header says: it must be whole, and
// in a format they both play.
void CheckSound(const std::string& path, const std::string& bytes) {
  std::string fault = SoundFault(bytes);
  if (!fault.empty()) throw CommandFailure(kExitRefused, path + ": " + fault);
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

// Sizes as a person reads them: "412 KB", "12.4 MB".
std::string HumanSize(uint64_t bytes) {
  char text[32];
  if (bytes < 1000) {
    std::snprintf(text, sizeof text, "%u bytes", unsigned(bytes));
  } else if (bytes < 1000000) {
    std::snprintf(text, sizeof text, "%u KB", unsigned((bytes + 500) / 1000));
  } else {
    std::snprintf(text, sizeof text, "%.1f MB", double(bytes) / 1e6);
  }
  return text;
}

// What was done to a picture on its way in.
struct PictureNote {
  std::string text;
  // Not asked for on the command line (a conversion, a turn encoded anew):
  // said even without a terminal.
  bool unasked;
};

struct PackTotals {
  uint64_t read = 0, packed = 0;
  size_t turned = 0, shrunk = 0, converted = 0;
};

// One picture as it goes into the show: decoded as the player will, converted
// when the player could not show it, turned upright and shrunk as asked.
// Returns the bytes to pack and adds to the notes what was done to them.
std::string PreparePicture(const std::string& path, const std::string& original,
                           const CreateOptions& options, std::vector<PictureNote>& notes,
                           PackTotals& totals) {
  PictureCheck check = CheckPicture(original);
  if (check.outcome == PictureCheck::Outcome::Refused) {
    throw CommandFailure(kExitRefused, path + ": cannot be decoded: " + check.note);
  }
  if (!check.warning.empty()) {
    std::fprintf(stderr, "showpack: %s: warning: %s\n", path.c_str(), check.warning.c_str());
  }
  std::string jpeg = original;
  if (check.outcome == PictureCheck::Outcome::Converted) {
    jpeg = std::move(check.convertedJpeg);
    notes.push_back({check.note, true});
    ++totals.converted;
  }
  ReshapeRequest request;
  // A converted picture lost its markers; the camera's word is in the original.
  request.orientation = FindExifOrientation(original).value;
  request.maxWidth = options.maxWidth;
  request.maxHeight = options.maxHeight;
  request.quality = options.quality;
  Reshaped reshaped = ReshapePicture(jpeg, request);
  if (reshaped.failed) {
    // The player shows it as it is: better sideways or large than missing.
    std::fprintf(stderr, "showpack: %s: warning: packed as it is, neither turned nor shrunk: %s\n",
                 path.c_str(), reshaped.note.c_str());
    return jpeg;
  }
  if (!reshaped.changed) return jpeg;
  notes.push_back({reshaped.note, reshaped.turned && !reshaped.lossless && !reshaped.shrunk});
  totals.turned += reshaped.turned;
  totals.shrunk += reshaped.shrunk;
  return std::move(reshaped.jpeg);
}

void ReportPicture(size_t index, size_t count, const std::string& path, uint64_t before,
                   uint64_t after, const std::vector<PictureNote>& notes, bool terminal) {
  if (terminal) {
    // "[ 37/240] IMG_0037.jpg  12.4 MB -> 1.1 MB  turned upright (lossless)"
    const int width = int(std::to_string(count).size());
    std::string line = fs::path(path).filename().string() + "  " + HumanSize(before) + " " +
                       kProgressArrow + " " + HumanSize(after);
    for (const PictureNote& note : notes)
      line += "  " + note.text;
    std::fprintf(stderr, "[%*zu/%zu] %s\n", width, index + 1, count, line.c_str());
    return;
  }
  for (const PictureNote& note : notes) {
    if (note.unasked) std::fprintf(stderr, "showpack: %s: %s\n", path.c_str(), note.text.c_str());
  }
}

void RefuseTooLarge(const std::string& out, uint64_t size) {
  throw CommandFailure(kExitRefused, out + ": would be " + std::to_string(size) +
                                         " bytes; the player reads files below " +
                                         std::to_string(kPackageOffsetLimit) + " bytes");
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
  ExpandFolders(options);

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

  // Without shrinking, pictures keep about their size: a show far too large
  // is refused before anything is written.
  if (options.maxWidth == 0 && LayOutPackage(plan).fileSize >= kPackageOffsetLimit)
    RefuseTooLarge(options.out, LayOutPackage(plan).fileSize);

  // The player, the sounds and the readme are checked before the output is
  // begun; pictures as they go in, since preparing one may take a while.
  if (!options.player.empty()) OpenInput(options.player);
  std::vector<std::string> sounds;
  for (size_t i = 0; i < options.sounds.size(); ++i) {
    sounds.push_back(ReadWhole(options.sounds[i], plan.soundSizes[i]));
    CheckSound(options.sounds[i], sounds.back());
  }
  std::optional<std::string> readme;
  if (options.readme) readme = ReadWhole(*options.readme, *plan.readmeSize);

  TemporaryOutput output(options.out, options.player);
  if (!options.player.empty())
    CopyInput(options.player, plan.prefixSize, output.file(), options.out);
  const bool terminal = IsTerminal(stderr);
  PackTotals totals;
  uint64_t position = plan.prefixSize;
  for (size_t i = 0; i < options.pictures.size(); ++i) {
    const std::string& path = options.pictures[i];
    const uint64_t start = i == 0 ? plan.prefixSize : NextPictureStart(position);
    std::vector<PictureNote> notes;
    std::string jpeg =
        PreparePicture(path, ReadWhole(path, plan.pictureSizes[i]), options, notes, totals);
    if (start + jpeg.size() >= kPackageOffsetLimit)
      RefuseTooLarge(options.out, start + jpeg.size());
    WriteZeros(output.file(), start - position, options.out);
    WriteBytes(output.file(), jpeg, options.out);
    position = start + jpeg.size();
    totals.read += plan.pictureSizes[i];
    totals.packed += jpeg.size();
    ReportPicture(i, options.pictures.size(), path, plan.pictureSizes[i], jpeg.size(), notes,
                  terminal);
    plan.pictureSizes[i] = jpeg.size();
  }

  PackageLayout layout = LayOutPackage(plan);
  if (layout.fileSize >= kPackageOffsetLimit) RefuseTooLarge(options.out, layout.fileSize);
  WriteZeros(output.file(), layout.tableOffset - position, options.out);
  WriteBytes(output.file(), EncodePackageTail(options.texts, readme, sounds, layout), options.out);
  output.Commit(options.out);

  std::printf("%s: %llu bytes, pictures: %zu, sounds: %zu; pictures %s %s %s", options.out.c_str(),
              static_cast<unsigned long long>(layout.fileSize), options.pictures.size(),
              options.sounds.size(), HumanSize(totals.read).c_str(), kProgressArrow,
              HumanSize(totals.packed).c_str());
  if (totals.turned > 0) std::printf(", %zu turned upright", totals.turned);
  if (totals.shrunk > 0) std::printf(", %zu shrunk", totals.shrunk);
  if (totals.converted > 0) std::printf(", %zu converted to RGB", totals.converted);
  std::printf("\n");
  return kExitSuccess;
}

}  // namespace

const Command kCreateCommand = {
    "create",
    "create -o OUT [--player FILE] [--name TEXT] [--title TEXT] [--credit TEXT] [--info TEXT] "
    "[--readme FILE] [--sound FILE.wav]... [--sounds-from-folder] [--max-size WxH] "
    "[--quality N] [--force] PICTURE.jpg|FOLDER...",
    "Writes OUT: the player's bytes followed by a show of the pictures, in order.\n"
    "A FOLDER stands for its JPEG pictures (.jpg, .jpeg, in any case; not those\n"
    "in its subfolders, nor hidden ones) in natural name order: img2 before img10.\n"
    "  -o OUT              the file to write\n"
    "  --player FILE       the player program to put first (none: the package alone)\n"
    "  --name, --title, --credit, --info TEXT\n"
    "                      the show's texts, at most 127 characters each\n"
    "  --readme FILE       a text file shown as the show's readme\n"
    "  --sound FILE        a WAV file to play; may be given more than once\n"
    "  --sounds-from-folder\n"
    "                      also play each FOLDER's .wav files, in natural name\n"
    "                      order, after the --sound files\n"
    "  --max-size WxH      shrink pictures larger than W x H pixels to fit in it,\n"
    "                      keeping their shape (e.g. 1920x1080 for a full-HD screen)\n"
    "  --quality N         JPEG quality, 1 to 100, of pictures encoded anew (90)\n"
    "  --force             replace OUT if it exists\n"
    "Every picture is decoded as the player decodes it: CMYK and YCCK pictures\n"
    "are converted to RGB JPEGs, and pictures that do not decode are refused.\n"
    "A picture that its camera marked as turned (EXIF orientation, as phones\n"
    "do) is turned upright, losslessly where its size is whole JPEG blocks and\n"
    "else encoded anew at --quality, keeping every pixel; its mark is set to\n"
    "upright so that no viewer turns it again.\n"
    "On a terminal, a line per picture shows its size before and after; a\n"
    "summary line ends every run.\n"
    "Example, a show from a phone's photos for a full-HD screen:\n"
    "  showpack create -o Holiday.scr --player lumivane.scr --name Holiday \\\n"
    "      --max-size 1920x1080 --sounds-from-folder ~/Pictures/Holiday\n",
    RunCreate,
};
