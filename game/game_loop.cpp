// One game from the press of Space to the Escape that leaves it: the beat
// clock, stage changes, waves, the frame order of updates and drawing, the
// HUD, and the game-over overlay.
#include "game/game_loop.h"

#include "audio/audio.h"
#include "game/entity.h"
#include "game/frame.h"
#include "game/player.h"
#include "game/replay.h"
#include "game/title.h"
#include "graphics/draw.h"
#include "graphics/canvas.h"
#include "graphics/graphics.h"
#include "graphics/image_font.h"
#include "system/clock.h"
#include "system/input.h"
#include "system/random.h"

#include <algorithm>
#include <cmath>
#include <string>

int32_t gameTime = 0;
int32_t startTime = 0;
int32_t stage = 0;
int32_t lastStage = 0;
float pulse = 0;
int32_t level = 0;
int32_t kills = 0;
int32_t health = 0;
int32_t gameOver = 0;
int32_t graceTimer = 0;
int32_t spawnDelay = 0;
int32_t spawnCount = 0;
int32_t spawnTimer = 0;
float flashWhite = 0;
float flashRed = 0;
int32_t colorR = 0, colorG = 0, colorB = 0;
int32_t enemyShotSound = 0;
int32_t playerX = 0, playerY = 0;
int32_t mouseXSum = 0;
int32_t explodeNote = 0;

double PulseSquared() { return static_cast<double>(pulse) * pulse; }

void NewColors() {
  colorR = RandomInt(255, 1);
  colorG = RandomInt(255, 1);
  colorB = RandomInt(255, 1);
}

void ResetGame() {
  frameList = std::make_shared<TList>();
  enemyList = std::make_shared<TList>();
  playerList = std::make_shared<TList>();
  bulletList = std::make_shared<TList>();
  particleList = std::make_shared<TList>();
  frameList->AddLast(TFrame::Create());
  TPlayer::New();
  startTime = GameMillisecs();
  spawnDelay = 1000;
  spawnCount = 5;
  level = 0;
  kills = 0;
  graceTimer = 400;
  NewColors();
}

void BeginGame() {
  ReplayGameStarts();
  gameOver = 0;
  ResetGame();
  FlushKeys();
  CueSound(music, musicChannel);
  ResumeChannel(musicChannel);
  startTime = GameMillisecs();
}

void PlayGame() {
  BeginGame();
  while (!GameKeyDown(27)) GameFrame();
  ReplayGameEnds();
}

void GameFrame() {
  Cls();
  // The sum wraps as a 32-bit value.
  mouseXSum = static_cast<int32_t>(static_cast<uint32_t>(mouseXSum) +
                                   static_cast<uint32_t>(GameMouseX()));

  gameTime = MillisecsBetween(startTime, GameMillisecs());
  stage = static_cast<int32_t>(static_cast<float>(gameTime) / (beatLength * 16));
  const float phase = std::fmod(static_cast<float>(gameTime), beatLength) / beatLength * 360;
  pulse = static_cast<float>((SinDeg(phase) + 1) / 2);

  if (stage != lastStage) {
    PushFrame();
    EnemiesMoveAway();
    ClearBullets();
    spawnDelay = 1000 - 10 * stage;
    if (spawnDelay < 500) spawnDelay = 500;
    if (gameOver == 0) spawnCount = stage + 5;
    spawnTimer = spawnCount;
    if (gameOver == 0) level += 1;
    flashWhite = 1.0f;
    NewColors();
  }
  lastStage = stage;

  spawnTimer -= 1;
  if (spawnTimer < 0) {
    for (int32_t i = 0; i < spawnCount + 1; ++i) SpawnEnemy();
    spawnTimer = spawnDelay;
  }

  frameZoomSpeed = 0.05f;
  UpdateFrames();
  UpdateEnemies();
  UpdatePlayers();
  UpdateBullets();
  UpdateParticles();

  if (enemyShotSound == 1) PlaySoundVolume(sndEnemyBullet, 1.0f);
  enemyShotSound = 0;

  RenderFrames();
  RenderEnemies();
  RenderPlayers();
  RenderParticles();
  RenderBullets();

  // The shade breathes with the beat.
  SetScale(2, 2);
  SetColor(0, 0, 0);
  SetRotation(0);
  SetAlpha(static_cast<float>(0.2 + 0.3 * PulseSquared()));
  DrawImage(imgShade2, 400, 300, 0);

  DrawHUD();

  // The cross-hair.
  SetScale(0.9f + 0.1f * pulse, 0.9f + 0.1f * pulse);
  SetAlpha(1);
  SetRotation(static_cast<float>(2 * SinDeg(gameTime / 24)));
  SetColor(255, 255, 255);
  const TAimPoint aim = GameAimPoint(static_cast<float>(playerX), static_cast<float>(playerY));
  DrawImage(imgAim, aim.x, aim.y, 0);

  if (gameOver == 1) {
    GameOverScreen();
    PauseChannel(musicChannel);
  }

  graceTimer -= 1;
  flashWhite = std::max(flashWhite - 0.1f, 0.0f);
  flashRed = std::max(flashRed - 0.1f, 0.0f);

  SetScale(1, 1);
  SetAlpha(flashWhite);
  SetColor(255, 255, 255);
  SetRotation(0);
  DrawRect(0, 0, 800, 600);
  SetAlpha(flashRed);
  SetColor(255, 0, 0);
  SetRotation(0);
  DrawRect(0, 0, 800, 600);

  Flip(1);
  ReplayFrameEnds();
}

void DrawHUD() {
  const float s = 1 + 0.02f * pulse;
  SetScale(s, s);
  SetAlpha(1);
  SetRotation(0);
  SetImageFont(fontMedium);
  SetColor(255, 255, 255);
  SetRotation(10);
  DrawText("KILLS: " + std::to_string(kills), 620 - pulse, 5 - pulse);
  DrawText("LEVEL: " + std::to_string(level), 620 - pulse, 50 - pulse);
  if (health > 101) {
    SetColor(255, 255, 255);
  } else if (pulse > 0.5f) {
    SetColor(255, 0, 0);
  } else {
    SetColor(0, 0, 0);
  }
  SetRotation(-10);
  DrawText("HEALTH: " + std::to_string(health),
           static_cast<float>(10 + 2 * PulseSquared()), 55);
}

void GameOverScreen() {
  SetImageFont(fontMedium);
  const float s = 2 + 0.1f * pulse;
  SetScale(s, s);
  SetAlpha(1);
  SetRotation(static_cast<float>(SinDeg(gameTime / 18)));
  if (pulse > 0.5f) {
    SetColor(255, 0, 0);
  } else {
    SetColor(0, 0, 0);
  }
  DrawText("GAME OVER", 220 - 2 * pulse, 250 - pulse);
  SetScale(1, 1);
  SetColor(255, 255, 255);
  SetRotation(static_cast<float>(SinDeg(gameTime / 28)));
  DrawText("KILLS: " + std::to_string(kills), 230, 370);
  SetScale(1, 1);
  SetAlpha(1);
  SetRotation(0);
  SetColor(255, 255, 255);
  DrawText("press esc to return to menu", 180, 460);
}
