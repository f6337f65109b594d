// The Windows build as players get it, checked here under Wine on the test's
// private X server with a Windows program's environment: gloomfall.exe as
// its zip unpacks against the Linux build in the same run, without its font,
// and installed by the NSIS installer and started from its Start-menu
// shortcut. Also what the packages hold.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "tests/e2e/harness.h"

namespace fs = std::filesystem;

namespace {

const std::string kWine = "/usr/lib/wine/wine64", kWineServer = "/usr/lib/wine/wineserver";
const std::string kWindows = GLOOMFALL_WINDOWS_DIR;          // the Windows build folder
const std::string kFolder = GLOOMFALL_WINDOWS_FOLDER;        // the self-contained folder
const std::string kPackage = kWindows + "/gloomfall-" GLOOMFALL_VERSION "-win64";
const std::string kOut = std::string(GLOOMFALL_BUILD_DIR) + "/e2e-wine";
// One Wine prefix per build folder: making one takes Wine about 20 s.
const std::string kPrefix = std::string(GLOOMFALL_BUILD_DIR) + "/wine";

std::string OutPath(const std::string& name) {
  fs::create_directories(kOut);
  return kOut + "/" + name;
}

std::set<std::string> FilesUnder(const std::string& root) {
  std::set<std::string> files;
  std::error_code ec;
  for (const auto& e : fs::recursive_directory_iterator(root, ec))
    if (e.is_regular_file()) files.insert(fs::relative(e.path(), root).generic_string());
  return files;
}

class Wine : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(x_.ok()) << "no Xvfb";
    setenv("WINEPREFIX", kPrefix.c_str(), 1);
    setenv("WINEDEBUG", "-all", 1);
    // No offer of Mono or Gecko, and no menu entries for the installed game
    // in the real desktop; the prefix's user folders link to a home of its own.
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=;winemenubuilder.exe=d", 1);
    fs::create_directories(kPrefix + "-home");
    setenv("HOME", (kPrefix + "-home").c_str(), 1);
    if (!fs::exists(kPrefix + "/system.reg")) {
      RunCommand(x_.display(), kWine + " wineboot -i >/dev/null 2>&1; " + kWineServer + " -w");
      ASSERT_TRUE(fs::exists(kPrefix + "/system.reg")) << "Wine made no prefix in " << kPrefix;
    }
  }
  // Nothing of Wine outlives a test: its server ends every Windows process.
  void TearDown() override {
    game_.reset();
    RunCommand(x_.display(), kWineServer + " -k; " + kWineServer + " -w");
  }
  // Starts a command line in a folder as Windows starts a player's program:
  // Wine gets only what it needs of Unix, and the batch file clears on the
  // Windows side what Wine hands on. Only a test that listens gets SDL's disk
  // output, which no player has, to hear what the game plays.
  void Start(const std::string& folder, const std::string& command, bool wait_for_window = true, bool listen = false) {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    const std::string bat = OutPath(name + ".bat");
    audio_ = OutPath(name + ".raw");
    fs::remove(audio_);
    // Wine sees the Linux file system as drive Z:.
    std::ofstream(bat) << "@echo off\r\nset DISPLAY=\r\nfor /f \"delims==\" %%v in ('set WINE') do set %%v=\r\n"
                       << (listen ? "set SDL_AUDIODRIVER=disk\r\nset SDL_DISKAUDIOFILE=Z:" + audio_ + "\r\n" : "")
                       << command << "\r\n";
    std::vector<std::string> env = {"-i", "DISPLAY=" + x_.display()};
    for (std::string v : {"HOME", "WINEPREFIX", "WINEDEBUG", "WINEDLLOVERRIDES"})
      env.push_back(v + "=" + getenv(v.c_str()));
    env.insert(env.end(), {kWine, "cmd", "/c", "Z:" + bat});
    game_ = std::make_unique<GameProcess>(x_, folder, audio_, "/usr/bin/env", env);
    if (!wait_for_window) return;
    window_ = game_->FindWindow("gloomfall", 30000);
    ASSERT_FALSE(window_.empty()) << "no window named gloomfall";
    game_->xdo("mousemove --window " + window_ + " 400 300");
    game_->xdo("windowfocus --sync " + window_);
  }
  Shot Snap(const std::string& name, const std::string& window = "") {
    Shot s = Screenshot(x_.display(), window.empty() ? window_ : window);
    if (!s.empty()) WritePng(s, OutPath(name + ".png"));
    return s;
  }
  void QuitWithEscape() {
    game_->xdo("keydown Escape");
    EXPECT_EQ(game_->WaitExit(5000), 0) << "Escape held on the title quits with status 0";
  }

  XServer x_;
  std::unique_ptr<GameProcess> game_;
  std::string window_, audio_;
};

using Clock = std::chrono::steady_clock;
int MsSince(Clock::time_point t) {
  return int(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

// Share of the pixels in a box where one shot passes a test and the other
// does not, over those where either does (0: the same shape).
double Mismatch(const Shot& a, const Shot& b, int x0, int y0, int x1, int y1,
                const std::function<bool(int, int, int)>& pred) {
  int either = 0, one = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      auto test = [&](const Shot& s) {
        uint32_t v = s.at(x, y);
        return pred(int(v >> 16), int((v >> 8) & 255), int(v & 255));
      };
      bool p = test(a), q = test(b);
      either += p || q;
      one += p != q;
    }
  return either ? double(one) / either : 1.0;
}

}  // namespace

TEST(WindowsPackages, TheExeCarriesIconAndVersionAndTheZipHoldsTheFolder) {
  std::string exe = ReadFile(kFolder + "/gloomfall.exe");
  ASSERT_GT(exe.size(), 100000u);
  EXPECT_EQ(exe.substr(0, 2), "MZ");
  // The icon resources of the game and of its installer are the .ico's
  // pictures as they are: the PNG for 256 and the bitmaps, each found
  // through its 16-byte directory entry.
  std::string installer = ReadFile(kPackage + ".exe");
  std::string ico = ReadFile(std::string(GLOOMFALL_DATA_DIR) + "/gloomfall.ico");
  ASSERT_GT(ico.size(), 6u + 4 * 16);
  auto u32 = [&](size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | uint8_t(ico[at + i]);
    return v;
  };
  for (int i = 0; i < 4; ++i) {
    size_t bytes = u32(6 + 16 * i + 8), at = u32(6 + 16 * i + 12);
    EXPECT_NE(exe.find(ico.substr(at, bytes)), std::string::npos) << "icon entry " << i;
    EXPECT_NE(installer.find(ico.substr(at, bytes)), std::string::npos) << "the installer's icon entry " << i;
  }
  // The version block: a fixed part (signature, layout 1.0, file and product
  // version 1.0.0.0) and the strings.
  const std::string fixed("\xbd\x04\xef\xfe\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x00\x00"
                          "\x00\x00\x01\x00\x00\x00\x00\x00",
                          24);
  EXPECT_NE(exe.find(fixed), std::string::npos) << "VS_FIXEDFILEINFO of 1.0.0.0";
  auto wide = [](const std::string& s) {
    std::string w;
    for (char c : s) w += std::string{c, '\0'};
    return w;
  };
  // Each string is its UTF-16 key, a zero and padding to 4 bytes, the value.
  auto value = [&](const std::string& key) {
    size_t at = exe.find(wide(key) + std::string(2, '\0'));
    if (at == std::string::npos) return std::string("(none)");
    at = exe.find_first_not_of('\0', at + 2 * key.size());
    return exe.substr(at, exe.find(std::string(2, '\0'), at) + 1 - at);
  };
  EXPECT_EQ(value("ProductVersion"), wide("1.0.0"));
  EXPECT_EQ(value("FileVersion"), wide("1.0.0"));
  EXPECT_EQ(value("OriginalFilename"), wide("gloomfall.exe"));

  // The zip unpacks into one folder holding exactly the self-contained folder.
  std::string listing = RunCommand(":0", "unzip -Z1 " + Quote(kPackage + ".zip"));
  std::set<std::string> zipped;
  std::istringstream lines(listing);
  const std::string top = "gloomfall-" GLOOMFALL_VERSION "-win64/";
  for (std::string line; std::getline(lines, line);) {
    EXPECT_EQ(line.rfind(top, 0), 0u) << line;
    if (line.rfind(top, 0) == 0 && line.back() != '/') zipped.insert(line.substr(top.size()));
  }
  std::set<std::string> folder = FilesUnder(kFolder);
  EXPECT_TRUE(folder.count("gloomfall.exe") && folder.count("VeraMono.ttf") && folder.count("song3.ogg") &&
              folder.count("gfx/help.png"));
  EXPECT_EQ(zipped, folder);
  // The runtimes linked in carry their notices: Debian's copyright files, word for word.
  EXPECT_EQ(ReadFile(kFolder + "/licenses/mingw-w64.txt"), ReadFile("/usr/share/doc/mingw-w64-x86-64-dev/copyright"));
  EXPECT_NE(ReadFile(kFolder + "/licenses/gcc-mingw-w64.txt").find("GCC RUNTIME LIBRARY EXCEPTION"), std::string::npos);
}

TEST_F(Wine, TheTitleMatchesLinuxAndAGameStartsPlaysMusicAndEnds) {
  // The Linux build first, on the same display, for the picture to match and
  // the start-up time to beat.
  auto t0 = Clock::now();
  auto linux_game = std::make_unique<GameProcess>(x_, GLOOMFALL_DATA_DIR, OutPath("linux.raw"));
  std::string linux_window = linux_game->FindWindow("gloomfall");
  ASSERT_TRUE(WaitForTitle(x_.display(), linux_window));
  const int linux_ms = MsSince(t0);
  SleepMs(300);
  Shot linux_title = Screenshot(x_.display(), linux_window);
  linux_game->xdo("keydown Escape");
  ASSERT_EQ(linux_game->WaitExit(3000), 0);
  linux_game->xdo("keyup Escape");

  t0 = Clock::now();
  // A player plays what the zip unpacks to, not the build's own folder.
  const std::string downloads = OutPath("Downloads");
  RunCommand(x_.display(), "rm -rf " + Quote(downloads) + "; unzip -q " + Quote(kPackage + ".zip") + " -d " +
                               Quote(downloads));
  ASSERT_NO_FATAL_FAILURE(Start(downloads + "/gloomfall-" GLOOMFALL_VERSION "-win64", "gloomfall.exe", true, true));
  ASSERT_TRUE(WaitForTitle(x_.display(), window_, 30000)) << game_->Describe(window_);
  const int wine_ms = MsSince(t0);
  std::printf("start-up to the first title frame: Linux %d ms, Wine %d ms\n", linux_ms, wine_ms);
  RecordProperty("linux_title_ms", linux_ms);
  RecordProperty("wine_title_ms", wine_ms);
  EXPECT_NE(game_->xdo("getwindowgeometry " + window_).find("Geometry: 800x600"), std::string::npos);
  SleepMs(300);
  Shot title = Snap("title");
  ASSERT_EQ(title.width, 800);
  ASSERT_EQ(title.height, 600);
  ASSERT_EQ(linux_title.pixels.size(), title.pixels.size());
  WritePng(linux_title, OutPath("linux_title.png"));
  // The name and the help picture stand still: the same pixels as on Linux.
  // The prompts sway a degree with the clock and the layers behind zoom, so
  // those are compared by how much white there is.
  EXPECT_LT(Mismatch(title, linux_title, 150, 120, 520, 190, White), 0.05) << "the name";
  auto differs = [](int r, int g, int b) { return r > 24 || g > 24 || b > 24; };
  Shot diff = title;
  for (size_t i = 0; i < diff.pixels.size(); ++i) {
    uint32_t p = title.pixels[i], q = linux_title.pixels[i];
    diff.pixels[i] = 0;
    for (int s : {0, 8, 16}) diff.pixels[i] |= uint32_t(std::abs(int((p >> s) & 255) - int((q >> s) & 255))) << s;
  }
  EXPECT_LT(Count(diff, 220, 340, 580, 460, differs), 360 * 120 / 50) << "the help picture";
  auto grey = [](int r, int g, int b) { return r >= 60 && r <= 200 && std::abs(r - g) < 25 && std::abs(g - b) < 25; };
  for (auto [y0, y1, pred] : {std::tuple{495, 545, &White}, std::tuple{548, 575, +grey}}) {
    int here = Count(title, 100, y0, 720, y1, pred), there = Count(linux_title, 100, y0, 720, y1, pred);
    EXPECT_GT(there, 15);
    EXPECT_NEAR(here, there, there / 4 + 5) << "the prompt at y " << y0;
  }

  SleepMs(300);
  EXPECT_EQ(PeakOfTail(audio_, 300), 0) << "the title screen is silent";
  game_->xdo("key space");
  EXPECT_TRUE(Eventually([&] { return PeakOfTail(audio_, 300) > 500; })) << "music in a game";
  Shot a = Snap("game_a");
  SleepMs(400);
  Shot b = Snap("game_b");
  EXPECT_GT(Difference(a, b), 0.05) << "the world moves";
  EXPECT_GT(Count(a, 610, 0, 800, 95, White), 150) << "KILLS and LEVEL";
  EXPECT_LT(Count(title, 610, 0, 800, 95, White), 20);
  game_->Hold("Escape", 200);
  EXPECT_TRUE(Eventually([&] { return PeakOfTail(audio_, 200) == 0; })) << "silent again on the title";
  EXPECT_TRUE(WaitForTitle(x_.display(), window_)) << "back on the title";
  Snap("title_after_game");
  QuitWithEscape();
}

TEST_F(Wine, WithoutItsFontEachBoxShowsAndTheGamePlaysWithItsOwnFont) {
  std::string folder = OutPath("folder_without_font");
  ASSERT_TRUE(CopyTree(kFolder, folder));
  fs::remove(folder + "/VeraMono.ttf");
  Start(folder, "gloomfall.exe", false);
  // One box per font. Wine's box takes a second or two to heed its OK
  // button, so it is clicked until it goes.
  for (int box = 0; box < 3; ++box) {
    std::string found = FindMessageBox(x_.display(), 30000);
    ASSERT_FALSE(found.empty()) << "no message box " << box;
    if (box == 0) {
      // A light grey box, once Wine has painted it.
      EXPECT_TRUE(Eventually([&] { return Count(Snap("font_not_loaded", found), 0, 0, 800, 600, White) >= 5000; }))
          << "the box is drawn";
    }
    int status = 0;
    for (int click = 0; click < 30 && status == 0; ++click) {
      game_->xdo("mousemove --window " + found + " 207 58 click 1");
      SleepMs(300);
      RunCommand(x_.display(), "xwininfo -id " + found + " >/dev/null 2>&1", &status);
    }
    ASSERT_NE(status, 0) << "box " << box << " stays";
  }
  window_ = game_->FindWindow("gloomfall", 10000);
  ASSERT_FALSE(window_.empty());
  game_->xdo("windowfocus --sync " + window_);
  EXPECT_TRUE(Eventually([&] { return Count(Snap("title_default_font"), 100, 100, 700, 580, White) > 100; }))
      << "text in the default font";
  game_->xdo("key space");
  EXPECT_TRUE(Eventually([&] { return Count(Snap("game_default_font"), 560, 0, 800, 95, White) > 100; }))
      << "the HUD in the default font";
  game_->Hold("Escape", 200);
  SleepMs(500);
  QuitWithEscape();
}

// The scripted player's replay, verified by the Windows build as a Windows
// console would run it, gives the Linux build's line, world hash for hash.
TEST_F(Wine, VerifyingTheScriptedReplayAgreesWithLinux) {
  const std::string replay = std::string(GLOOMFALL_SOURCE_DIR) + "/tests/replays/scripted.gfreplay";
  const std::string out = OutPath("verify.txt");
  fs::remove(out);
  Start(kFolder, "gloomfall.exe --verify Z:" + replay + " > Z:" + out, false);
  EXPECT_EQ(game_->WaitExit(60000), 0);
  EXPECT_EQ(ReadFile(out), "Z:" + replay + ": 2400 frames, 23 kills, level 3, ok\r\n");
}

TEST_F(Wine, TheInstallerInstallsSilentlyAndTheUninstallerTakesEverythingAway) {
  const std::string program_files = kPrefix + "/drive_c/Program Files";
  const std::string installed = program_files + "/gloomfall";
  auto wine = [&](const std::string& args) {
    int status = -1;
    RunCommand(x_.display(), kWine + " " + args + " >/dev/null 2>&1; " + kWineServer + " -w", &status);
    return status;
  };
  if (fs::exists(installed + "/Uninstall.exe")) wine(Quote(installed + "/Uninstall.exe") + " /S");
  fs::remove_all(installed);

  EXPECT_EQ(wine(Quote(kPackage + ".exe") + " /S"), 0);
  EXPECT_EQ(FilesUnder(installed).size(), FilesUnder(kFolder).size() + 1) << "the folder and the uninstaller";
  EXPECT_TRUE(fs::exists(installed + "/gloomfall.exe") && fs::exists(installed + "/Uninstall.exe"));
  std::string shortcut;
  for (const auto& e : fs::recursive_directory_iterator(kPrefix + "/drive_c"))
    if (e.path().filename() == "gloomfall.lnk") shortcut = e.path().string();
  ASSERT_FALSE(shortcut.empty()) << "no Start-menu shortcut";
  EXPECT_NE(shortcut.find("Start Menu/Programs/gloomfall/"), std::string::npos) << shortcut;

  // Started through its shortcut from an unrelated folder, the game must
  // find its data in the install folder.
  ASSERT_NO_FATAL_FAILURE(Start(kOut, "start \"\" /wait /unix \"" + shortcut + "\""));
  ASSERT_TRUE(WaitForTitle(x_.display(), window_, 30000)) << game_->Describe(window_);
  QuitWithEscape();
  game_.reset();
  RunCommand(x_.display(), kWineServer + " -w");

  EXPECT_EQ(wine(Quote(installed + "/Uninstall.exe") + " /S"), 0);
  EXPECT_TRUE(FilesUnder(installed).empty()) << "left behind: " << *FilesUnder(installed).begin();
  EXPECT_FALSE(fs::exists(installed)) << "the install folder itself";
  EXPECT_FALSE(fs::exists(shortcut));
  EXPECT_FALSE(fs::exists(fs::path(shortcut).parent_path())) << "the Start-menu folder";
}
