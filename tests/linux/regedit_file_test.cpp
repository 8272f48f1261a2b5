// The file behind the Linux registry layer: its exact text in both forms,
// what it keeps of other programs' entries, how it treats a file it cannot
// parse, changes written together on closing, atomic replacement, locking
// between processes, and where it lives.
#include "platform/linux/regedit_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "package/show_state.h"
#include "package/user_settings.h"
#include "platform/win32.h"
#include "tests/support/child_process.h"

namespace fs = std::filesystem;

namespace {

const char kDemoKey[] = "Software\\Lumivane\\Demo";

// Runs body in a forked child and gives its exit code. The child's standard
// error goes to errPath when one is given.
int RunForked(const std::function<int()>& body, const std::string& errPath = "") {
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    if (!errPath.empty()) {
      int fd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(fd, STDERR_FILENO);
      close(fd);
    }
    _exit(body());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

HKEY Create(const char* subKey) {
  HKEY key = nullptr;
  LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, &key, nullptr);
  return status == ERROR_SUCCESS ? key : nullptr;
}

LONG SetDword(HKEY key, const char* name, DWORD value) {
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                        sizeof value);
}

// The value's type and bytes, or "missing".
std::string Query(HKEY key, const char* name) {
  char data[256];
  DWORD size = sizeof data, type = REG_NONE;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
      ERROR_SUCCESS) {
    return "missing";
  }
  return std::to_string(type) + ":" + std::string(data, size);
}

std::string Lf(std::string text) {
  for (size_t pos; (pos = text.find("\r\n")) != std::string::npos;)
    text.erase(pos, 1);
  return text;
}

class RegeditFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnv("XDG_CONFIG_HOME", config_.path());
    // Message boxes of the layer answer at once, on standard error only.
    SetEnv("SDL_VIDEODRIVER", "dummy");
  }

  std::string Folder() const { return config_ / "lumivane"; }
  std::string Store() const { return config_ / "lumivane/user.reg"; }

  void WriteStore(const std::string& text) const {
    fs::create_directories(Folder());
    WriteFileBytes(Store(), text);
  }

  std::set<std::string> FolderEntries() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(Folder())) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  ScratchDir config_;
};

TEST_F(RegeditFileTest, WritesRegeditTextWhenTheKeyIsClosed) {
  EXPECT_EQ(RegeditStorePath(), Store());
  HKEY key = Create(kDemoKey);
  ASSERT_NE(key, nullptr);
  EXPECT_FALSE(fs::exists(Store()));
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(ReadFileBytes(Store()),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Lumivane\\Demo]\r\n\r\n");

  key = Create(kDemoKey);
  ASSERT_EQ(SetDword(key, "RedrawSpeed", 15), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(key, "Mute", 1), ERROR_SUCCESS);
  // This process sees the values at once, through any handle; the file, and
  // so other processes, once the key is closed.
  EXPECT_EQ(Query(key, "RedrawSpeed"), "4:" + std::string("\x0f\0\0\0", 4));
  HKEY other = nullptr;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kDemoKey, &other), ERROR_SUCCESS);
  EXPECT_EQ(Query(other, "Mute"), "4:" + std::string("\x01\0\0\0", 4));
  EXPECT_EQ(ReadFileBytes(Store()),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Lumivane\\Demo]\r\n\r\n");
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(ReadFileBytes(Store()),
            "REGEDIT4\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Lumivane\\Demo]\r\n"
            "\"RedrawSpeed\"=dword:0000000f\r\n"
            "\"Mute\"=dword:00000001\r\n\r\n");
  RegCloseKey(other);
}

TEST_F(RegeditFileTest, WritesEachKindOfValue) {
  HKEY key = Create(kDemoKey);
  ASSERT_NE(key, nullptr);
  auto set = [key](const char* name, DWORD type, const std::string& data) {
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                          DWORD(data.size()));
  };
  ASSERT_EQ(set("Path", REG_SZ, std::string("C:\\Shows\\\"Best\"\0", 16)), ERROR_SUCCESS);
  ASSERT_EQ(set(nullptr, REG_SZ, std::string("default\0", 8)), ERROR_SUCCESS);
  ASSERT_EQ(set("Two\\Lines", REG_SZ, std::string("a\r\nb\0", 6)), ERROR_SUCCESS);
  ASSERT_EQ(set("Blob", REG_BINARY, std::string("\x01\xab", 2)), ERROR_SUCCESS);
  ASSERT_EQ(set("Empty", REG_BINARY, ""), ERROR_SUCCESS);
  ASSERT_EQ(set("List", REG_MULTI_SZ, std::string("a\0\0", 3)), ERROR_SUCCESS);
  ASSERT_EQ(set("Short", REG_DWORD, std::string("\x01\x02", 2)), ERROR_SUCCESS);
  ASSERT_EQ(set("Quad", 11, std::string(8, '\x7f')), ERROR_SUCCESS);
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(ReadFileBytes(Store()),
            "REGEDIT4\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Lumivane\\Demo]\r\n"
            "\"Path\"=\"C:\\\\Shows\\\\\\\"Best\\\"\"\r\n"
            "@=\"default\"\r\n"
            "\"Two\\\\Lines\"=hex(1):61,0d,0a,62,00\r\n"
            "\"Blob\"=hex:01,ab\r\n"
            "\"Empty\"=hex:\r\n"
            "\"List\"=hex(7):61,00,00\r\n"
            "\"Short\"=hex(4):01,02\r\n"
            "\"Quad\"=hex(b):7f,7f,7f,7f,7f,7f,7f,7f\r\n\r\n");
  key = Create(kDemoKey);
  EXPECT_EQ(Query(key, "Path"), "1:" + std::string("C:\\Shows\\\"Best\"\0", 16));
  EXPECT_EQ(Query(key, "Two\\Lines"), "1:" + std::string("a\r\nb\0", 5));
  EXPECT_EQ(Query(key, "Short"), "4:" + std::string("\x01\x02", 2));
  RegCloseKey(key);
}

const char kForeign[] =
    "REGEDIT4\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n"
    "\"Path\"=\"C:\\\\Program Files\\\\Other \\\"quoted\\\"\"\r\n"
    "; a comment of the user's\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\SOFTWARE\\lumivane\\Demo]\r\n"
    "@=\"default text\"\r\n"
    "\"Mute\"=dword:00000000\r\n"
    "\"Blob\"=hex:de,ad,be,ef\r\n"
    "\"List\"=hex(7):61,00,62,00,\\\r\n"
    "  63,00,00,00\r\n"
    "\"Future\"=DWORD:0000ABCD\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Other Vendor\\App]\r\n"
    "\"Setting\"=hex(2):25,54,45,4d,50,25,00\r\n"
    "\r\n";

// kForeign after Mute=1 and RedrawSpeed=15 were set in the Demo key.
std::string ForeignAfterWrites() {
  std::string text = kForeign;
  text.replace(text.find("\"Mute\"=dword:00000000"), 21, "\"Mute\"=dword:00000001");
  text.insert(text.find("\r\n\r\n[HKEY_CURRENT_USER\\Software\\Other") + 2,
              "\"RedrawSpeed\"=dword:0000000f\r\n");
  return text;
}

TEST_F(RegeditFileTest, KeepsForeignKeysAndValuesAsTheyWere) {
  WriteStore(kForeign);
  HKEY key = Create(kDemoKey);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(ReadFileBytes(Store()), kForeign);  // the key existed: nothing written
  EXPECT_EQ(Query(key, nullptr), "1:" + std::string("default text", 13));
  EXPECT_EQ(Query(key, "Blob"), "3:\xde\xad\xbe\xef");
  EXPECT_EQ(Query(key, "List"), "7:" + std::string("a\0b\0c\0\0", 8));
  EXPECT_EQ(Query(key, "Future"), "4:" + std::string("\xcd\xab\0\0", 4));

  ASSERT_EQ(SetDword(key, "mute", 1), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(key, "RedrawSpeed", 15), ERROR_SUCCESS);
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(ReadFileBytes(Store()), ForeignAfterWrites());
}

TEST_F(RegeditFileTest, ReadsLfAndWritesCrLf) {
  WriteStore(Lf(kForeign));
  HKEY key = Create(kDemoKey);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(Query(key, "List"), "7:" + std::string("a\0b\0c\0\0", 8));
  ASSERT_EQ(SetDword(key, "Mute", 1), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(key, "RedrawSpeed", 15), ERROR_SUCCESS);
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(ReadFileBytes(Store()), ForeignAfterWrites());
}

TEST_F(RegeditFileTest, UnparseableFileIsLeftAlone) {
  const std::string broken =
      "REGEDIT4\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Lumivane\\Demo]\r\n"
      "\"RedrawSpeed\"=dword:0000000f\r\n"
      "\"Name\"=\"no end\r\n";
  WriteStore(broken);

  // The first look at the file warns, once; a fresh process shows it.
  std::string errPath = config_ / "stderr";
  int code = RunForked(
      [] {
        HKEY key = nullptr;
        RegOpenKeyA(HKEY_CURRENT_USER, kDemoKey, &key);
        RegOpenKeyA(HKEY_CURRENT_USER, kDemoKey, &key);
        return 0;
      },
      errPath);
  EXPECT_EQ(code, 0);
  std::string warning = ReadFileBytes(errPath);
  EXPECT_NE(warning.find(Store() + ":5:"), std::string::npos) << warning;
  EXPECT_EQ(warning.find('\n'), warning.size() - 1) << warning;

  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kDemoKey, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software", &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Query(HKEY_CURRENT_USER, "RedrawSpeed"), "missing");

  // Making the key, as reading the settings at start-up does, fails on
  // closing, quietly; setting values fails on closing with a message box
  // that names the file.
  code = RunForked(
      [] {
        HKEY key = Create(kDemoKey);
        if (key == nullptr) return 100;
        if (RegCloseKey(key) != ERROR_REGISTRY_CORRUPT) return 101;
        std::fprintf(stderr, "made\n");
        key = Create(kDemoKey);
        if (key == nullptr || SetDword(key, "RedrawSpeed", 1) != ERROR_SUCCESS) return 102;
        if (SetDword(key, "Mute", 1) != ERROR_SUCCESS) return 103;
        return RegCloseKey(key) == ERROR_REGISTRY_CORRUPT ? 0 : 104;
      },
      errPath);
  EXPECT_EQ(code, 0);
  std::string err = ReadFileBytes(errPath);
  EXPECT_EQ(err.find("Error:"), err.find("made\n") + 5) << err;
  EXPECT_NE(err.find("Error: The settings could not be saved: " + Store() + ":5:"),
            std::string::npos)
      << err;
  EXPECT_EQ(ReadFileBytes(Store()), broken);
}

TEST_F(RegeditFileTest, FailedWriteLeavesTheFileAsItWas) {
  HKEY key = Create(kDemoKey);
  ASSERT_NE(key, nullptr);
  ASSERT_EQ(SetDword(key, "RedrawSpeed", 15), ERROR_SUCCESS);
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  key = Create(kDemoKey);
  const std::string before = ReadFileBytes(Store());
  const std::set<std::string> entries = FolderEntries();

  std::string errPath = config_ / "stderr";
  int code = RunForked(
      [key] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = {4096, 4096};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 100;
        std::string big(100000, '\x5a');
        LONG status = RegSetValueExA(key, "Big", 0, REG_BINARY,
                                     reinterpret_cast<const BYTE*>(big.data()), DWORD(big.size()));
        return status == ERROR_SUCCESS ? int(RegCloseKey(key)) : 100;
      },
      errPath);
  EXPECT_EQ(code, ERROR_WRITE_FAULT);
  std::string err = ReadFileBytes(errPath);
  EXPECT_NE(err.find("Error: The settings could not be saved: " + Store() +
                     ": cannot be written: File too large"),
            std::string::npos)
      << err;
  fs::remove(errPath);
  EXPECT_EQ(ReadFileBytes(Store()), before);
  EXPECT_EQ(FolderEntries(), entries);
  EXPECT_EQ(entries, (std::set<std::string>{"user.reg", "user.reg.lock"}));
  EXPECT_EQ(Query(key, "Big"), "missing");
  RegCloseKey(key);
}

TEST_F(RegeditFileTest, ProcessesWritingAtOnceLoseNothing) {
  HKEY key = Create(kDemoKey);
  ASSERT_NE(key, nullptr);
  ASSERT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
  const int kPerChild = 40;
  auto writer = [key](char prefix) {
    return [key, prefix] {
      for (int i = 0; i < kPerChild; ++i) {
        std::string name = prefix + std::to_string(i);
        if (SetDword(key, name.c_str(), DWORD(i)) != ERROR_SUCCESS) return 1;
        if (RegCloseKey(HKEY_CURRENT_USER) != ERROR_SUCCESS) return 2;
      }
      return 0;
    };
  };
  std::fflush(nullptr);
  pid_t first = fork();
  if (first == 0) _exit(writer('a')());
  EXPECT_EQ(writer('b')(), 0);
  int status = 0;
  waitpid(first, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  for (char prefix : {'a', 'b'}) {
    for (int i = 0; i < kPerChild; ++i) {
      std::string name = prefix + std::to_string(i);
      DWORD value = 999, size = sizeof value;
      EXPECT_EQ(RegQueryValueExA(key, name.c_str(), nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(&value), &size),
                ERROR_SUCCESS)
          << name;
      EXPECT_EQ(value, DWORD(i)) << name;
    }
  }
  RegCloseKey(key);
}

TEST_F(RegeditFileTest, WithoutXdgConfigHomeTheHomeConfigFolderServes) {
  const char* oldHome = std::getenv("HOME");
  const std::string savedHome = oldHome == nullptr ? "" : oldHome;
  ScratchDir home;
  SetEnv("HOME", home.path());
  const std::string expected = home / ".config/lumivane/user.reg";

  UnsetEnv("XDG_CONFIG_HOME");
  EXPECT_EQ(RegeditStorePath(), expected);
  SetEnv("XDG_CONFIG_HOME", "");
  EXPECT_EQ(RegeditStorePath(), expected);
  SetEnv("XDG_CONFIG_HOME", "relative/config");
  EXPECT_EQ(RegeditStorePath(), expected);

  UnsetEnv("XDG_CONFIG_HOME");
  HKEY key = Create(kDemoKey);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(SetDword(key, "Shuffle", 1), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_NE(ReadFileBytes(expected).find("\"Shuffle\"=dword:00000001"), std::string::npos);

  if (oldHome == nullptr) {
    UnsetEnv("HOME");
  } else {
    SetEnv("HOME", savedHome);
  }
}

struct BadText {
  const char* text;
  int line;
};

TEST(ParseRegeditTest, RejectsWhatItCannotKeepWithTheLine) {
  const BadText cases[] = {
      {"Windows Registry Editor Version 4.00\r\n", 1},
      {"\xff\xfeR\0E\0G\0E\0D\0I\0T\0004\0\r\0\n\0", 1},
      {"\xfe\xff\0W\0i", 1},
      {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"Nul\"=\"a\\0b\"\n", 4},
      {"Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n\"Tab\"=\"a\\tb\"\n", 4},
      {"REGEDIT4\n\n\"Early\"=dword:00000001\n", 3},
      {"REGEDIT4\n\n[-HKEY_CURRENT_USER\\Software\\Gone]\n", 3},
      {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"Gone\"=-\n", 4},
      {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"Tab\"=\"a\\tb\"\n", 4},
      {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"D\"=dword:123456789\n", 4},
      {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"H\"=hex:1,02\n", 4},
      {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"H\"=hex(7):61,00,\\\n", 4},
      {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"S\"=\"a\" trailing\n", 4},
      {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\nstray text\n", 4},
      {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A\n", 3},
  };
  for (const BadText& bad : cases) {
    RegeditFile file;
    RegeditError error;
    EXPECT_FALSE(ParseRegedit(bad.text, &file, &error)) << bad.text;
    EXPECT_EQ(error.line, bad.line) << bad.text;
    EXPECT_FALSE(error.reason.empty()) << bad.text;
  }
}

TEST(ParseRegeditTest, ReadsSectionsValuesAndContinuations) {
  RegeditFile file;
  RegeditError error;
  ASSERT_TRUE(ParseRegedit(
      "REGEDIT4\n; before\n\n[HKEY_CURRENT_USER\\A\\]\n@=\"x\"\n\"H\"=hex:01,\\\n  02,\\\n 03\n",
      &file, &error))
      << error.line << ": " << error.reason;
  ASSERT_EQ(file.preamble.size(), 1u);
  ASSERT_EQ(file.sections.size(), 1u);
  EXPECT_EQ(file.sections[0].key, "HKEY_CURRENT_USER\\A");
  ASSERT_EQ(file.sections[0].entries.size(), 2u);
  EXPECT_EQ(file.sections[0].entries[0].name, "");
  EXPECT_EQ(file.sections[0].entries[1].data, "\x01\x02\x03");
  EXPECT_EQ(file.sections[0].entries[1].lines.size(), 3u);
}

std::string Utf16(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char lead = static_cast<unsigned char>(utf8[i]);
    unsigned c = lead;
    size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (length > 1) c = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k)
      c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += length;
    if (c >= 0x10000) {
      c -= 0x10000;
      unsigned high = 0xD800 | c >> 10, low = 0xDC00 | (c & 0x3FF);
      out += {char(high & 0xFF), char(high >> 8), char(low & 0xFF), char(low >> 8)};
    } else {
      out += {char(c & 0xFF), char(c >> 8)};
    }
  }
  return out;
}

// A version 5 file as regedit exports it, with what Wine's regedit writes for
// line breaks, in UTF-8.
const char kVersion5[] =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Lumivane\\D\xc3\xa9mo\xe2\x82\xac]\r\n"
    "\"Exp\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,5c,00,e9,00,00,00\r\n"
    "\"Multi\"=hex(7):6f,00,6e,00,65,00,00,00,ac,20,00,00,00,00\r\n"
    "\"Q\"=hex(b):89,67,45,23,01,00,00,00\r\n"
    "\"Mute\"=dword:00000000\r\n"
    "\"Text\"=\"a\\\\\\\"b \xc3\xa9 \xe2\x82\xac \xe6\x97\xa5 \xf0\x9f\x98\x80\"\r\n"
    "\"NL\"=\"a\\r\\nb\"\r\n"
    "\"T\xc3\xa9\"=\"x\"\r\n"
    "\r\n";

const char kVersion5Key[] = "Software\\Lumivane\\D\xe9mo\x80";

TEST_F(RegeditFileTest, ReadsVersion5InEachEncodingAndWritesItBackSo) {
  const struct {
    const char* mark;
    bool utf16;
  } forms[] = {{"\xff\xfe", true}, {"\xef\xbb\xbf", false}, {"", false}};
  for (const auto& form : forms) {
    SCOPED_TRACE(form.mark);
    auto encode = [&form](const std::string& text) {
      return form.mark + (form.utf16 ? Utf16(text) : text);
    };
    WriteStore(encode(kVersion5));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kVersion5Key, &key), ERROR_SUCCESS);
    // The ANSI calls see code page 1252; what it lacks becomes '?'.
    EXPECT_EQ(Query(key, "Exp"), "2:" + std::string("%TEMP%\\\xe9\0", 9));
    EXPECT_EQ(Query(key, "Multi"), "7:" + std::string("one\0\x80\0\0", 7));
    EXPECT_EQ(Query(key, "Q"), "11:" + std::string("\x89\x67\x45\x23\x01\0\0\0", 8));
    EXPECT_EQ(Query(key, "Text"), "1:" + std::string("a\\\"b \xe9 \x80 ? ?\0", 13));
    EXPECT_EQ(Query(key, "NL"), "1:" + std::string("a\r\nb\0", 5));
    EXPECT_EQ(Query(key, "T\xe9"), "1:" + std::string("x\0", 2));

    ASSERT_EQ(SetDword(key, "Mute", 1), ERROR_SUCCESS);
    const std::string exp("\xe9\x80\0", 3);
    ASSERT_EQ(RegSetValueExA(key, "New\xe9", 0, REG_EXPAND_SZ,
                             reinterpret_cast<const BYTE*>(exp.data()), DWORD(exp.size())),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    HKEY other = Create("Software\\Lumivane\\\xe9");
    const std::string text("\xe9t\xe9\0", 4);
    ASSERT_EQ(RegSetValueExA(other, "S", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                             DWORD(text.size())),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(other), ERROR_SUCCESS);

    std::string expected = kVersion5;
    expected.replace(expected.find("\"Mute\"=dword:00000000"), 21, "\"Mute\"=dword:00000001");
    expected.insert(expected.size() - 2, "\"New\xc3\xa9\"=hex(2):e9,00,ac,20,00,00\r\n");
    expected +=
        "[HKEY_CURRENT_USER\\Software\\Lumivane\\\xc3\xa9]\r\n"
        "\"S\"=\"\xc3\xa9t\xc3\xa9\"\r\n\r\n";
    EXPECT_EQ(ReadFileBytes(Store()), encode(expected));
  }
}

TEST_F(RegeditFileTest, SavingTheSettingsIsOneReplacementOfTheFile) {
  std::snprintf(showState.showName, sizeof showState.showName, "%s", "Demo");
  LoadSettings();
  fs::create_directories(Folder());
  int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  // Each replacement moves a temporary file of its own name over user.reg;
  // the kernel may fold the moves to the one name together.
  ASSERT_GE(inotify_add_watch(watch, Folder().c_str(), IN_MOVED_FROM), 0);
  showState.settings.Mute = 1;
  SaveSettings();
  int replaced = 0;
  alignas(inotify_event) char buffer[4096];
  for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;) {
    for (char* at = buffer; at < buffer + n;) {
      const inotify_event* event = reinterpret_cast<const inotify_event*>(at);
      if (event->mask & IN_MOVED_FROM) ++replaced;
      at += sizeof(inotify_event) + event->len;
    }
  }
  close(watch);
  EXPECT_EQ(replaced, 1);
  std::string text = ReadFileBytes(Store());
  for (const char* line : {"\"RedrawSpeed\"=dword:0000000f", "\"SoundSpeed\"=dword:00000007",
                           "\"Resize\"=dword:00000001", "\"Shuffle\"=dword:00000000",
                           "\"Mute\"=dword:00000001", "\"UseEff\"=dword:00000001"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
}

}  // namespace
