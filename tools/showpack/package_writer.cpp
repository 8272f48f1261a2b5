#include "tools/showpack/package_writer.h"

namespace {

void PutU32(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(char((value >> shift) & 0xFF));
}

void PutU16(std::string& out, uint16_t value) {
  out.push_back(char(value & 0xFF));
  out.push_back(char(value >> 8));
}

}  // namespace

void AppendRecord(std::string& out, ShowRecordType type, uint32_t start, uint32_t end,
                  const std::string& payload) {
  const auto* plain = reinterpret_cast<const unsigned char*>(payload.data());
  out.push_back(char(kRecordMarker));
  out.push_back(char(type));
  PutU16(out, 0);
  PutU32(out, start);
  PutU32(out, end);
  PutU32(out, uint32_t(payload.size()));
  PutU16(out, RecordChecksum(plain, int32_t(payload.size())));
  PutU16(out, 0);
  PutU32(out, 0);
  for (char c : payload)
    out.push_back(char(c ^ kPayloadMask));
}

void AppendTerminator(std::string& out) {
  out.push_back(char(kRecordMarker));
  out.append(kRecordHeaderSize - 1, '\0');
}

void AppendTrailer(std::string& out, uint32_t tableOffset) {
  PutU32(out, tableOffset);
  PutU32(out, tableOffset);
}

namespace {

constexpr uint64_t kPictureAlignment = 16;
constexpr uint64_t kFileAlignment = 2048;

uint64_t AlignUp(uint64_t value, uint64_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

uint64_t RecordSize(uint64_t payloadSize) {
  return kRecordHeaderSize + payloadSize;
}

// A text record's payload: the text and its NUL.
uint64_t TextRecordSize(const std::optional<std::string>& text) {
  return text ? RecordSize(text->size() + 1) : 0;
}

void AppendText(std::string& out, ShowRecordType type, const std::optional<std::string>& text) {
  if (text) AppendRecord(out, type, 0, 0, *text + '\0');
}

}  // namespace

uint64_t NextPictureStart(uint64_t previousEnd) {
  return AlignUp(previousEnd, kPictureAlignment);
}

size_t RecordCount(const PackagePlan& plan) {
  const ShowTexts& t = plan.texts;
  return size_t(t.name.has_value()) + t.title.has_value() + t.credit.has_value() +
         t.info.has_value() + plan.readmeSize.has_value() + plan.pictureSizes.size() +
         plan.soundSizes.size();
}

PackageLayout LayOutPackage(const PackagePlan& plan) {
  PackageLayout layout;
  // The first picture starts right at the package's start; later ones and the
  // table start on the next 16-byte boundary.
  uint64_t next = plan.prefixSize;
  for (uint64_t size : plan.pictureSizes) {
    layout.pictureStarts.push_back(next);
    layout.pictureEnds.push_back(next + size);
    next = NextPictureStart(next + size);
  }
  layout.tableOffset = next;

  uint64_t tableSize = TextRecordSize(plan.texts.name) + TextRecordSize(plan.texts.title) +
                       TextRecordSize(plan.texts.credit) + TextRecordSize(plan.texts.info);
  if (plan.readmeSize) tableSize += RecordSize(*plan.readmeSize + 1);
  tableSize += RecordSize(0) * plan.pictureSizes.size();
  for (uint64_t size : plan.soundSizes)
    tableSize += RecordSize(size);
  tableSize += RecordSize(0);  // the terminator

  layout.tableEnd = layout.tableOffset + tableSize;
  layout.fileSize = AlignUp(layout.tableEnd + kTrailerSize, kFileAlignment);
  layout.trailerOffset = layout.fileSize - kTrailerSize;
  return layout;
}

std::string EncodePackageTail(const ShowTexts& texts, const std::optional<std::string>& readme,
                              const std::vector<std::string>& sounds, const PackageLayout& layout) {
  std::string tail;
  tail.reserve(size_t(layout.fileSize - layout.tableOffset));
  AppendText(tail, ShowRecordType::ShowName, texts.name);
  AppendText(tail, ShowRecordType::ShowTitle, texts.title);
  AppendText(tail, ShowRecordType::CreditLine, texts.credit);
  AppendText(tail, ShowRecordType::InfoLine, texts.info);
  if (readme) AppendRecord(tail, ShowRecordType::ReadmeText, 0, 0, *readme + '\0');
  for (size_t i = 0; i < layout.pictureStarts.size(); ++i) {
    AppendRecord(tail, ShowRecordType::Image, uint32_t(layout.pictureStarts[i]),
                 uint32_t(layout.pictureEnds[i]), std::string());
  }
  for (const std::string& sound : sounds)
    AppendRecord(tail, ShowRecordType::Sound, 0, 0, sound);
  AppendTerminator(tail);
  tail.resize(size_t(layout.trailerOffset - layout.tableOffset), '\0');
  AppendTrailer(tail, uint32_t(layout.tableOffset));
  return tail;
}
