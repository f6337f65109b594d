// The data folder as a whole: all 25 files the game opens are there, the font
// is VeraMono with its licence beside it, and making the data again from the
// same sources gives byte-identical files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <sys/wait.h>

#include "tests/data/data_files.h"

namespace {

const char* const kGameFiles[] = {
    "gfx/shade2.png",  "gfx/player1.png",   "gfx/player2.png",     "gfx/weapon.png",     "gfx/vihu1.png",
    "gfx/vihu2.png",   "gfx/bullet.png",    "gfx/particle.png",    "gfx/vihuammus.png",  "gfx/particle2.png",
    "gfx/help.png",    "gfx/shadow.png",    "gfx/aim.png",         "gfx/eye.png",        "gfx/mushroom.png",
    "sfx/a.ogg",       "sfx/g.ogg",         "sfx/d.ogg",           "sfx/boom1.ogg",      "sfx/enemybullet.ogg",
    "sfx/playerhit.ogg", "sfx/playershoot.ogg", "song3.ogg",       "VeraMono.ttf",      "gloomfall.png",
};

// The build writes how it makes the data into tools/data_tools.txt.
std::map<std::string, std::string> DataTools() {
  std::map<std::string, std::string> tools;
  std::ifstream in(std::string(GLOOMFALL_BUILD_DIR) + "/tools/data_tools.txt");
  std::string key, value;
  while (in >> key && std::getline(in >> std::ws, value)) tools[key] = value;
  return tools;
}

int RunTool(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(DataFolder, HoldsEveryFileTheGameOpens) {
  for (const char* file : kGameFiles) {
    SCOPED_TRACE(file);
    EXPECT_TRUE(std::filesystem::is_regular_file(DataPath(file)));
    EXPECT_GT(std::filesystem::file_size(DataPath(file)), 100u);
  }
}

TEST(DataFolder, FontIsVeraMonoWithItsLicence) {
  std::vector<unsigned char> font = ReadBytes(DataPath("VeraMono.ttf"));
  ASSERT_GE(font.size(), 4u);
  // A TrueType file starts with version 1.0.
  EXPECT_EQ(font[0], 0x00);
  EXPECT_EQ(font[1], 0x01);
  EXPECT_EQ(font[2], 0x00);
  EXPECT_EQ(font[3], 0x00);
  std::ifstream licence(DataPath("VeraMono-COPYRIGHT.txt"));
  std::stringstream text;
  text << licence.rdbuf();
  EXPECT_NE(text.str().find("Bitstream"), std::string::npos);
  EXPECT_NE(text.str().find("Permission is hereby granted"), std::string::npos);
}

TEST(DataFolder, MakingItAgainGivesIdenticalFiles) {
  auto tools = DataTools();
  ASSERT_FALSE(tools.empty()) << "no tools/data_tools.txt in " << GLOOMFALL_BUILD_DIR;
  if (tools["built_here"] != "1") GTEST_SKIP() << "this build reads data made by another build";

  namespace fs = std::filesystem;
  fs::path again = fs::path(GLOOMFALL_BUILD_DIR) / "data-again";
  fs::remove_all(again);
  ASSERT_EQ(RunTool("'" + tools["paint"] + "' '" + again.string() + "' '" + tools["font"] + "'"), 0);
  ASSERT_EQ(RunTool("'" + tools["sounds"] + "' '" + again.string() + "'"), 0);
  ASSERT_EQ(RunTool("'" + tools["music"] + "' '" + again.string() + "' > /dev/null"), 0);
  int compared = 0;
  for (const char* file : kGameFiles) {
    if (std::string(file) == "VeraMono.ttf") continue;  // copied, not made
    SCOPED_TRACE(file);
    std::vector<unsigned char> first = ReadBytes(DataPath(file));
    std::vector<unsigned char> second = ReadBytes((again / file).string());
    ASSERT_FALSE(second.empty());
    EXPECT_TRUE(first == second);
    ++compared;
  }
  EXPECT_TRUE(ReadBytes(DataPath("gloomfall.ico")) == ReadBytes((again / "gloomfall.ico").string()));
  EXPECT_EQ(compared, 24);
  fs::remove_all(again);
}
