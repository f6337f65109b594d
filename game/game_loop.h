// One game: the beat clock, stages, waves, the HUD and the game-over
// overlay, and the program-wide values the game objects share.
// Leans on the world classes (frame.h, entity.h and the classes) and the
// drawing, audio and input layers.
#pragma once
#include <cstdint>

extern int32_t gameTime;   // the game clock in ms (the title clock on the title screen)
extern int32_t startTime;  // Millisecs() when this game's beat clock started
extern int32_t stage;      // whole 16-beat stretches since startTime
extern int32_t lastStage;  // stage in the previous frame; survives games
extern float pulse;        // the beat pulse, 0..1, one period per beat
extern int32_t level;
extern int32_t kills;
extern int32_t health;     // the player's health as the HUD shows it
extern int32_t gameOver;
extern int32_t graceTimer; // enemies hold fire while it is 1 or more
extern int32_t spawnDelay;
extern int32_t spawnCount; // one less than the size of a wave
extern int32_t spawnTimer; // frames until the next wave; survives games
extern float flashWhite;
extern float flashRed;
extern int32_t colorR, colorG, colorB;  // the stage tint
extern int32_t enemyShotSound;
extern int32_t playerX, playerY;
extern int32_t mouseXSum;  // wraps as a 32-bit sum
extern int32_t explodeNote;

// Runs one whole game; returns when Escape is held at the top of a frame.
void PlayGame();
// Everything PlayGame does before its loop: fresh world, keys flushed,
// music started from its beginning, beat clock taken.
void BeginGame();
// One frame of a game, from Cls to Flip(1).
void GameFrame();
// Fresh world lists and counters for a new game.
void ResetGame();
// The pulse squared: the beat's swell, softer below the peak.
double PulseSquared();
// A new stage tint.
void NewColors();
// The heads-up display: kills, level and health.
void DrawHUD();
// The overlay drawn over a game whose player is dead.
void GameOverScreen();
