// Polled keyboard and mouse input. A hook on the EmitEventHook chain keeps
// the state of every key and mouse button (a gamepad's and the touch
// sticks arrive as keys and the left button too) and where they aim; the
// queries pump the system's message queue first (PollSystem), so they always
// see the latest input.
// Key codes are Windows virtual-key codes: letters are their upper-case
// character codes, 27 Escape, 32 Space, 37-40 the arrows, 112-123 F1-F12, and
// Shift, Control and Alt by side as 160-165 (never 16-18).
#pragma once

#include <memory>

#include "system/event.h"
#include "system/system_driver.h"

constexpr int KEY_BACKSPACE = 8;
constexpr int KEY_TAB = 9;
constexpr int KEY_ENTER = 13;
constexpr int KEY_ESCAPE = 27;
constexpr int KEY_SPACE = 32;
constexpr int KEY_LEFT = 37;
constexpr int KEY_UP = 38;
constexpr int KEY_RIGHT = 39;
constexpr int KEY_DOWN = 40;
constexpr int KEY_A = 65;
constexpr int KEY_D = 68;
constexpr int KEY_S = 83;
constexpr int KEY_W = 87;
constexpr int KEY_F1 = 112;
constexpr int KEY_F2 = 113;
constexpr int KEY_LSHIFT = 160;
constexpr int KEY_RSHIFT = 161;
constexpr int KEY_LCONTROL = 162;
constexpr int KEY_RCONTROL = 163;
constexpr int KEY_LALT = 164;
constexpr int KEY_RALT = 165;

// 1 while the key is held. Codes outside 0-255 read 0.
int KeyDown(int key);
// Presses since the last KeyHit of this key or the last flush; then 0.
int KeyHit(int key);
// The oldest typed character, 0 when none is waiting.
int GetChar();
// Forgets every held key, every press count and every typed character.
int FlushKeys();

// Mouse position in client pixels (outside the window, even negative, while
// a button is held) and the accumulated wheel notches.
int MouseX();
int MouseY();
int MouseZ();
// Where the player aims from (x, y): the mouse pointer, or, while a gamepad's
// right stick or the touch aiming stick aimed last (EVENT_PADAIM), the point
// PAD_AIM_DISTANCE pixels from (x, y) in the stick's direction. Any mouse
// move hands the aim back to the mouse. MouseX and MouseY always report the
// mouse itself.
constexpr float PAD_AIM_DISTANCE = 150;
struct TAimPoint {
  float x;
  float y;
  int lean_x = 0, lean_y = 0;  // the stick's lean while a stick aims, else 0
};
TAimPoint AimPoint(float x, float y);
// 1 when AimPoint was asked since the keys were last flushed. The game asks
// only while a game runs (every frame, from the player), so the gamepad and
// touch code can tell a game from the title screen by it.
int AimAsked();

// Buttons: 1 left, 2 right, 3 middle. Others read 0.
int MouseDown(int button);
int MouseHit(int button);
// Forgets buttons, their presses and the wheel; the position stays.
int FlushMouse();

// 1 while the application has lost the focus.
int AppSuspended();
// 1 once after each request to close the window; the window stays open.
int AppTerminate();

// Block in the message wait until a key is hit / a character typed / a button
// clicked, and return it.
int WaitKey();
int WaitChar();
int WaitMouse();

// Attaches the polled-input hook; events from other sources than `source`
// are ignored unless it is empty. Nothing if already enabled.
void EnablePolledInput(std::shared_ptr<TObject> source = nullptr);
void DisablePolledInput();
