// The page the game runs in, where it has one (the browser build, platform/web/): what the
// page's address asks of the game for a test, and how far the game has run, told back to
// the page. On the desktop there is no page and the game runs on its shell as it is.
#pragma once
#include "platform/platform.h"

// The platform the game runs on over `shell`: on the desktop `shell` itself. In the page,
// a layer that seeds the clock from the address's time=T, applies the events of its
// input=FILE at their frames as sortie-replay does, tells the page each frame run (the
// page-global `sortie.frame`) and, with frames=N, stops for good once frame N has run
// (`sortie.stopped`), still showing it.
Platform& pagePlatform(Platform& shell);
