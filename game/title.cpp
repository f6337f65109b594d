// The program entry: start-up in its fixed order, then the title screen
// until Escape is held. A game runs inside a title iteration (Space) and
// the rest of that iteration still draws with the game's last clock.
#include "game/title.h"

#include "audio/audio.h"
#include "game/entity.h"
#include "game/frame.h"
#include "game/game_loop.h"
#include "game/replay_commands.h"
#include "graphics/draw.h"
#include "graphics/canvas.h"
#include "graphics/graphics.h"
#include "graphics/image.h"
#include "graphics/image_font.h"
#include "graphics/pixmap_loader.h"
#include "system/clock.h"
#include "system/input.h"
#include "system/random.h"
#include "system/runtime_error.h"

#include <cstdio>
#include <string>
#include <vector>

std::shared_ptr<TImage> imgShade2, imgPlayer1, imgPlayer2, imgWeapon, imgVihu1, imgVihu2,
    imgBullet, imgParticle, imgVihuAmmus, imgParticle2, imgHelp, imgShadow, imgAim, imgEye,
    imgMushroom;
std::shared_ptr<TImageFont> fontSmall, fontMedium, fontLarge;
std::shared_ptr<TSound> sndA, sndG, sndD, sndBoom1, sndEnemyBullet, sndPlayerHit,
    sndPlayerShoot, music;
std::shared_ptr<TChannel> musicChannel;

int32_t bpm = 0;
float msPerMinute = 60000.0f;
float beatLength = 0;
int32_t titleStart = 0;

namespace {

std::shared_ptr<TImageFont> LoadFontOrSay(const char* path, int32_t size) {
  auto font = LoadImageFont(path, size, 4);
  if (!font) Notify("Font Not Loaded", false);
  return font;
}

}  // namespace

void LoadAssets() {
  imgShade2 = LoadImage("gfx\\shade2.png", -1);
  imgPlayer1 = LoadImage("gfx\\player1.png", -1);
  imgPlayer2 = LoadImage("gfx\\player2.png", -1);
  imgWeapon = LoadImage("gfx\\weapon.png", -1);
  imgVihu1 = LoadImage("gfx\\vihu1.png", -1);
  imgVihu2 = LoadImage("gfx\\vihu2.png", -1);
  imgBullet = LoadImage("gfx\\bullet.png", -1);
  imgParticle = LoadImage("gfx\\particle.png", -1);
  imgVihuAmmus = LoadImage("gfx\\vihuammus.png", -1);
  imgParticle2 = LoadImage("gfx\\particle2.png", -1);
  imgHelp = LoadImage("gfx\\help.png", -1);
  imgShadow = LoadImage("gfx\\shadow.png", -1);
  imgAim = LoadImage("gfx\\aim.png", -1);
  imgEye = LoadImage("gfx\\eye.png", -1);
  imgMushroom = LoadImage("gfx\\mushroom.png", -1);

  fontSmall = LoadFontOrSay("VeraMono.ttf", 16);
  fontMedium = LoadFontOrSay("VeraMono.ttf", 32);
  fontLarge = LoadFontOrSay("VeraMono.ttf", 52);

  // None of the sounds is heard before a game starts: they are decoded
  // while the title shows (a sound played before it is ready is decoded
  // there and then, and the music waited for).
  sndA = LoadSoundInBackground("sfx\\a.ogg", 0);
  sndG = LoadSoundInBackground("sfx\\g.ogg", 0);
  sndD = LoadSoundInBackground("sfx\\d.ogg", 0);
  sndBoom1 = LoadSoundInBackground("sfx\\boom1.ogg", 0);
  sndEnemyBullet = LoadSoundInBackground("sfx\\enemybullet.ogg", 0);
  sndPlayerHit = LoadSoundInBackground("sfx\\playerhit.ogg", 0);
  sndPlayerShoot = LoadSoundInBackground("sfx\\playershoot.ogg", 0);
  musicChannel = AllocChannel();
  music = LoadSoundInBackground("song3.ogg", 1);
}

bool StartUp() {
  AppTitle = "gloomfall";
  AppIcon = LoadPixmap("gloomfall.png");  // none: the desktop's default icon
  if (!OpenGraphics(800, 600, 0, 60, 0)) return false;
  SetBlend(BLEND_ALPHA);
  AutoMidHandle(true);
  frameList = std::make_shared<TList>();
  particleList = std::make_shared<TList>();
  bpm = 130;
  beatLength = msPerMinute / static_cast<float>(bpm);
  LoadAssets();
  WatchDroppedReplays();
  frameGrowing = 0;
  PushFrame();
  NewColors();
  PushFrame();
  titleStart = Millisecs();
  return true;
}

void TitleIteration() {
  gameTime = MillisecsBetween(titleStart, Millisecs());
  Cls();
  if (KeyHit(32)) {
    PlayGame();
    FlushKeys();
    PauseChannel(musicChannel);
  }
  TitleReplays();
  if (KeyHit(65)) PushFrame();
  UpdateFrames();
  RenderFrames();
  UpdateParticles();
  RenderParticles();

  SetScale(1, 1);
  SetColor(255, 255, 255);
  SetRotation(0);
  SetAlpha(1);
  DrawImage(imgHelp, 400, 400, 0);

  SetImageFont(fontLarge);

  SetColor(0, 0, 0);
  SetScale(2, 2);
  SetRotation(0);
  SetAlpha(0.2f);
  DrawImage(imgShade2, 400, 300, 0);

  SetScale(1, 1);
  SetAlpha(1);
  DrawText("gloomfall", 152, 122);
  SetColor(255, 255, 255);
  DrawText("gloomfall", 150, 120);

  SetImageFont(fontMedium);
  SetRotation(static_cast<float>(1 + SinDeg(gameTime / 16)));
  DrawText("press space to start the game!", 100, 500);
  SetRotation(7);
  DrawText("controls: ", 220, 250);

  SetImageFont(fontSmall);
  SetRotation(static_cast<float>(1 + SinDeg(gameTime / 16)));
  SetColor(0, 0, 0);
  DrawText("(and esc to quit)", 502, 552);
  SetColor(128, 128, 128);
  DrawText("(and esc to quit)", 500, 550);

  Flip(1);
}

void TitleLoop() {
  while (!KeyDown(27)) TitleIteration();
}

int GloomfallMain(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
  if (!args.empty() && args[0] == "--verify") {
    if (args.size() == 1) {
      std::fprintf(stderr, "usage: gloomfall --verify FILE...\n");
      return 2;
    }
    return VerifyReplays({args.begin() + 1, args.end()});
  }
  std::string watch;
  if (args.size() == 2 && args[0] == "--replay") {
    watch = args[1];
  } else if (args.size() == 1 && args[0].rfind("--", 0) != 0) {
    watch = args[0];
  } else if (!args.empty()) {
    std::fprintf(stderr, "usage: gloomfall [--replay] [FILE] | --verify FILE...\n");
    return 2;
  }
  const std::string renderer_problem = ChooseRendererFromEnvironment();
  if (!renderer_problem.empty()) {
    std::fprintf(stderr, "%s\n", renderer_problem.c_str());
    return 2;
  }
  InstallRuntimeErrorHandlers();
  if (!StartUp()) {
    std::fprintf(stderr, "gloomfall: could not open an 800 x 600 OpenGL window\n");
    return 1;
  }
  if (!watch.empty()) WatchOnTitle(watch);
  TitleLoop();
  return 0;
}
