// The game as players get it: installed with `cmake --install` into a prefix,
// and as the Debian package installed into a scratch root. Either way the
// launcher is started from an unrelated folder, must find its data, show the
// title with the game's icon, and quit on Escape with status 0.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "tests/e2e/harness.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder under the build's tmp/, removed with everything in it.
class TempDir {
 public:
  explicit TempDir(const std::string& what) {
    fs::path base = fs::path(GLOOMFALL_BUILD_DIR) / "tmp";
    fs::create_directories(base);
    std::string pattern = (base / (what + "-XXXXXX")).string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Runs a command without a display; its standard output, and the status.
std::string Shell(const std::string& cmd, int* status) { return RunCommand("", cmd, status); }

// What every installed tree holds under its prefix.
void ExpectInstalledTree(const fs::path& prefix) {
  for (const char* file : {"games/gloomfall", "libexec/gloomfall/gloomfall"}) {
    SCOPED_TRACE(file);
    EXPECT_TRUE(fs::is_regular_file(prefix / file));
    EXPECT_TRUE((fs::status(prefix / file).permissions() & fs::perms::others_exec) != fs::perms::none);
  }
  for (const char* file : {"share/games/gloomfall/gfx/help.png", "share/games/gloomfall/gfx/mushroom.png",
                           "share/games/gloomfall/sfx/playershoot.ogg", "share/games/gloomfall/song3.ogg",
                           "share/games/gloomfall/gloomfall.png", "share/applications/gloomfall.desktop",
                           "share/icons/hicolor/256x256/apps/gloomfall.png", "share/man/man6/gloomfall.6.gz",
                           "share/doc/gloomfall/copyright", "share/doc/gloomfall/changelog.gz"}) {
    SCOPED_TRACE(file);
    EXPECT_TRUE(fs::is_regular_file(prefix / file));
  }
  // The font is the system's, linked rather than copied.
  fs::path font = prefix / "share/games/gloomfall/VeraMono.ttf";
  EXPECT_TRUE(fs::is_symlink(font));
  EXPECT_TRUE(fs::is_regular_file(font)) << "the link leads to the font";
  // Only the game's files: nothing of the build or the tests comes along.
  EXPECT_FALSE(fs::exists(prefix / "share/games/gloomfall/VeraMono-COPYRIGHT.txt"));
  EXPECT_FALSE(fs::exists(prefix / "lib"));
  EXPECT_FALSE(fs::exists(prefix / "include"));
}

// Starts the launcher from an empty folder elsewhere, as a player typing
// `gloomfall` would, sees the title with the installed icon on the window,
// and quits with Escape.
void PlayFromAnotherFolder(const fs::path& launcher, const fs::path& prefix) {
  XServer x;
  ASSERT_TRUE(x.ok()) << "no Xvfb";
  TempDir elsewhere("elsewhere");
  fs::create_directories(fs::path(GLOOMFALL_BUILD_DIR) / "e2e");
  std::string audio = std::string(GLOOMFALL_BUILD_DIR) + "/e2e/installed.raw";
  GameProcess game(x, elsewhere.path(), audio, launcher.string());
  std::string window = game.FindWindow("gloomfall");
  ASSERT_FALSE(window.empty()) << "the installed launcher opened no window";
  game.xdo("mousemove --window " + window + " 400 300");
  game.xdo("windowfocus --sync " + window);
  EXPECT_TRUE(WaitForTitle(x.display(), window)) << "no title: the game did not find its data\n"
                                                 << game.Describe(window);

  std::vector<uint32_t> icon = WindowIcon(x.display(), std::stoul(window));
  std::vector<uint32_t> installed = IconFromPng((prefix / "share/icons/hicolor/256x256/apps/gloomfall.png").string());
  ASSERT_EQ(installed.size(), 2u + 256 * 256) << "the installed icon is 256 x 256";
  EXPECT_TRUE(icon == installed) << "the window shows the installed icon";

  game.xdo("keydown Escape");
  EXPECT_EQ(game.WaitExit(3000), 0) << game.Describe(window);
  game.xdo("keyup Escape");
}

}  // namespace

TEST(Install, InstalledLauncherPlaysFromAnyFolderAndQuitsWithEscape) {
  TempDir prefix("prefix");
  ASSERT_FALSE(prefix.path().empty());
  int status = -1;
  std::string log = Shell(Quote(GLOOMFALL_CMAKE) + " --install " + Quote(GLOOMFALL_BUILD_DIR) + " --prefix " +
                            Quote(prefix.path()) + " 2>&1",
                        &status);
  ASSERT_EQ(status, 0) << log;
  ExpectInstalledTree(prefix.path());

  // The desktop entry is valid and starts the launcher, with the icon by name.
  fs::path entry = fs::path(prefix.path()) / "share/applications/gloomfall.desktop";
  std::string problems = Shell("desktop-file-validate " + Quote(entry.string()) + " 2>&1", &status);
  EXPECT_EQ(status, 0) << problems;
  EXPECT_TRUE(problems.empty()) << problems;
  std::string text = ReadFile(entry.string());
  EXPECT_NE(text.find("\nExec=gloomfall\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nIcon=gloomfall\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nCategories=Game;"), std::string::npos) << text;

  PlayFromAnotherFolder(fs::path(prefix.path()) / "games/gloomfall", prefix.path());
}

TEST(Install, MovedInstallStillFindsItsDataAndAMissingDataFolderIsSaid) {
  TempDir prefix("prefix");
  int status = -1;
  Shell(Quote(GLOOMFALL_CMAKE) + " --install " + Quote(GLOOMFALL_BUILD_DIR) + " --prefix " + Quote(prefix.path()) +
          " > /dev/null 2>&1",
      &status);
  ASSERT_EQ(status, 0);

  // The launcher reaches the game through a link in another folder, as
  // ~/bin/gloomfall -> <prefix>/games/gloomfall would.
  TempDir links("links");
  fs::path moved = fs::path(prefix.path()) / "moved";
  fs::create_directories(moved);
  for (const char* dir : {"games", "libexec", "share"}) fs::rename(fs::path(prefix.path()) / dir, moved / dir);
  fs::create_symlink(moved / "games/gloomfall", fs::path(links.path()) / "gloomfall");
  PlayFromAnotherFolder(fs::path(links.path()) / "gloomfall", moved);

  // A replay named from the player's folder reaches the game in its data folder.
  fs::copy_file(std::string(GLOOMFALL_SOURCE_DIR) + "/tests/replays/scripted.gfreplay", links.path() + "/my run.gfreplay");
  std::string said = Shell("cd " + Quote(links.path()) + " && ./gloomfall --verify 'my run.gfreplay' 2>&1", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(said, links.path() + "/my run.gfreplay: 2400 frames, 23 kills, level 3, ok\n");

  // Without its data the launcher says so and fails, instead of opening a
  // window full of nothing.
  fs::remove_all(moved / "share/games/gloomfall");
  said = Shell("cd / && " + Quote(links.path() + "/gloomfall") + " 2>&1", &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(said.find("gloomfall: the game's data is missing"), std::string::npos) << said;
}

TEST(Package, DebianPackageHasTheRuntimeDependenciesInstallsAndPlays) {
  TempDir work("package");
  ASSERT_FALSE(work.path().empty());
  int status = -1;
  std::string log = Shell(Quote(GLOOMFALL_CPACK) + " -G DEB --config " + Quote(std::string(GLOOMFALL_BUILD_DIR) +
                            "/CPackConfig.cmake") + " -B " + Quote(work.path()) + " 2>&1",
                        &status);
  ASSERT_EQ(status, 0) << log;
  std::string deb;
  for (const auto& e : fs::directory_iterator(work.path()))
    if (e.path().extension() == ".deb") deb = e.path().string();
  ASSERT_FALSE(deb.empty()) << log;
  EXPECT_EQ(fs::path(deb).filename().string().rfind("gloomfall_", 0), 0u) << deb;

  // The control file: named, sectioned, and depending on every runtime package.
  EXPECT_EQ(Shell("dpkg-deb -f " + Quote(deb) + " Package", &status), "gloomfall\n");
  EXPECT_EQ(Shell("dpkg-deb -f " + Quote(deb) + " Section", &status), "games\n");
  std::string depends = ", " + Shell("dpkg-deb -f " + Quote(deb) + " Depends", &status);
  for (const char* package : {"libsdl2-2.0-0", "libpng16-16", "libfreetype6", "libvorbisfile3", "libgl1",
                              "ttf-bitstream-vera"}) {
    SCOPED_TRACE(package);
    bool listed = depends.find(std::string(", ") + package + " ") != std::string::npos ||
                  depends.find(std::string(", ") + package + ",") != std::string::npos ||
                  depends.find(std::string(", ") + package + "\n") != std::string::npos;
    EXPECT_TRUE(listed) << depends;
  }
  std::string contents = Shell("dpkg-deb -c " + Quote(deb), &status);
  EXPECT_NE(contents.find("./usr/share/games/gloomfall/VeraMono.ttf -> ../../fonts/truetype/ttf-bitstream-vera/"
                          "VeraMono.ttf"),
            std::string::npos)
      << contents;

  // Debian's own checker finds nothing to say (its note about running as
  // root goes to standard error).
  std::string said = Shell("lintian --fail-on error,warning " + Quote(deb) + " 2>/dev/null", &status);
  EXPECT_EQ(status, 0) << said;
  EXPECT_EQ(said, "");

  // Installed with dpkg into a scratch root (the game's dependencies are the
  // host's, so they are not asked of the empty root). Without root, dpkg
  // cannot own files; unpacking the package gives the same tree.
  fs::path root = fs::path(work.path()) / "root";
  if (geteuid() == 0) {
    fs::create_directories(root / "var/lib/dpkg/info");
    fs::create_directories(root / "var/lib/dpkg/updates");
    std::ofstream(root / "var/lib/dpkg/status").flush();
    log = Shell("dpkg --root=" + Quote(root.string()) + " --force-depends -i " + Quote(deb) + " 2>&1", &status);
    ASSERT_EQ(status, 0) << log;
    std::string state = Shell("dpkg-query --admindir=" + Quote((root / "var/lib/dpkg").string()) +
                                " -W -f '${Status}' gloomfall",
                            &status);
    EXPECT_EQ(state, "install ok installed");
  } else {
    log = Shell("dpkg-deb -x " + Quote(deb) + " " + Quote(root.string()) + " 2>&1", &status);
    ASSERT_EQ(status, 0) << log;
  }
  // The font package the game depends on is the host's, here as in the root.
  fs::path font = root / "usr/share/fonts/truetype/ttf-bitstream-vera/VeraMono.ttf";
  fs::create_directories(font.parent_path());
  fs::create_symlink("/usr/share/fonts/truetype/ttf-bitstream-vera/VeraMono.ttf", font);
  ExpectInstalledTree(root / "usr");
  PlayFromAnotherFolder(root / "usr/games/gloomfall", root / "usr");
}

// The README's `make package` and `make install` on the release build, each
// once what its custom commands made (data, manual page, changelog) is gone.
TEST(Readme, MakeInstallAndMakePackageBuildAllTheyInstall) {
  if (!*GLOOMFALL_MAKE_BUILD) GTEST_SKIP() << "no Makefile build folder given";
  TempDir prefix("make-install");
  int status = -1;
  const std::string clean = "(ninja -C " + Quote(GLOOMFALL_MAKE_BUILD "/release") + " -t clean -r CUSTOM_COMMAND || true) && ",
                    make = "env -u MAKEFLAGS make -s -C " + Quote(GLOOMFALL_SOURCE_DIR) + " BUILD=" + Quote(GLOOMFALL_MAKE_BUILD);
  std::string log =
      Shell("exec 2>&1; " + clean + make + " package && " + clean + make + " install PREFIX=" + Quote(prefix.path()), &status);
  ASSERT_EQ(status, 0) << log;
  ExpectInstalledTree(prefix.path());
}
