#include "platform/platform.h"

Platform* platform = nullptr;
int64_t frameCount;
