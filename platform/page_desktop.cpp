// The desktop has no page: the game runs on its shell as it is.
#include "platform/page.h"

Platform& pagePlatform(Platform& shell) { return shell; }
bool pageShowsFrames() { return false; }
void presentOnPage(const Surface&) {}
void setPageFullScreen(bool) {}
bool pageIsFullScreen() { return false; }
