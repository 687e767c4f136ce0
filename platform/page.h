// The page the game runs in, where it has one (the browser build, platform/web/): what the
// page's address asks of the game for a test, how far the game has run, told back to the
// page, and the frames, which the page shows itself. On the desktop there is no page and the
// game runs on its shell as it is.
#pragma once
#include "platform/platform.h"
#include "platform/surface.h"

// The platform the game runs on over `shell`: on the desktop `shell` itself. In the page,
// a layer that seeds the clock from the address's time=T, applies the events of its
// input=FILE at their frames as sortie-replay does, tells the page each frame run (the
// page-global `sortie.frame`) and, with frames=N, stops for good once frame N has run
// (`sortie.stopped`), still showing it. With quick=1 the frames do not wait for the clock:
// the game runs as fast as the browser lets it, through the same frames.
Platform& pagePlatform(Platform& shell);

// True where the page shows the frames itself (the browser): its canvas holds the picture
// at 800 x 600 and the page scales it, so the SDL window is only where input comes from,
// at the picture's own size. False on the desktop, where the window's renderer shows them.
bool pageShowsFrames();
// Puts the picture's top left 800 x 600 on the page's canvas (a smaller picture leaves the
// rest as the last frame had it). Nothing allocates: the page keeps one buffer for it.
void presentOnPage(const Surface& frame);
// Asks the page for full screen, or out of it.
void setPageFullScreen(bool on);
// Whether the page is in full screen now: its own button and F11 change that without the game.
bool pageIsFullScreen();
