// The top-down battle stage: its per-frame update and drawing.
#pragma once

void battleUpdate();
void battleDraw();
