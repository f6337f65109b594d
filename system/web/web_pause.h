// The game's pause in the browser. The game stops while the page is hidden
// (the browser gives a hidden page no frames), while the browser has
// taken the page's WebGL context away (phones do it to tabs in the
// background, desktops after a GPU reset) and while the page holds it for a
// reason of its own (a phone held upright): its clock stops (web_clock.cpp),
// its sound is suspended (audio/web) and, until the context is back, its
// next frame waits for it (graphics/web). So the game goes on where it was,
// in step with its music. The state is kept on the module for the
// JavaScript of those files, as Module.gloomfallPause:
//   hidden, lost    why the game is paused, if it is, with held: the page's
//                   own reasons, set by hold(reason, on)
//   since, away     when the pause began (performance.now(), -1 while the
//                   game plays) and how long the earlier pauses lasted, in ms
//   restores        how many times the context has come back
//   onChange(f)     calls f(paused) after every change
//   stopped()       whether the next frame waits: the context lost or a
//                   reason held
//   whenBack(f)     calls f() once the game may present frames again (at
//                   once if it may)
// A platform file of the browser build.
#pragma once

// Follows the page from now on (later calls do nothing), until the program
// ends.
void WebFollowPause();

// How many times the browser has given back a context it had taken away.
int WebContextRestores();
