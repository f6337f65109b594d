// The program entry and the title screen, and the program-wide handles of
// every picture, font and sound the game loads once at start-up.
// Leans on the graphics, audio and input layers; the game itself is in
// game_loop.h and the world classes.
#pragma once
#include <cstdint>
#include <memory>

class TImage;
class TImageFont;
class TSound;
class TChannel;

// Pictures, in the order they are loaded.
extern std::shared_ptr<TImage> imgShade2, imgPlayer1, imgPlayer2, imgWeapon, imgVihu1, imgVihu2,
    imgBullet, imgParticle, imgVihuAmmus, imgParticle2, imgHelp, imgShadow, imgAim, imgEye,
    imgMushroom;
extern std::shared_ptr<TImageFont> fontSmall, fontMedium, fontLarge;
extern std::shared_ptr<TSound> sndA, sndG, sndD, sndBoom1, sndEnemyBullet, sndPlayerHit,
    sndPlayerShoot, music;
// The one channel the music always plays on.
extern std::shared_ptr<TChannel> musicChannel;

// The tempo of the music; a beat lasts beatLength milliseconds.
extern int32_t bpm;
extern float msPerMinute;
extern float beatLength;
// Millisecs() when the title loop first ran; the title clock counts from it.
extern int32_t titleStart;

// Everything before the title loop: the window and draw defaults, the
// lists, the tempo, the pictures, fonts and sounds, the first two screen
// frames and the title clock.
// Returns false when no window could be opened.
bool StartUp();
// Loads the pictures, fonts, sounds and the music channel, in their order.
void LoadAssets();
// One title-screen frame, from the clock to Flip(1).
void TitleIteration();
// The title loop: iterations until Escape is held at the top of one.
void TitleLoop();
// The whole program; returns the exit status. No arguments: the title.
// A replay file (alone or after --replay): the title, which plays it first.
// --verify and files: each replay checked with no window (replay_commands.h).
int GloomfallMain(int argc, char** argv);
