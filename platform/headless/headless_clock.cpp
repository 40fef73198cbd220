#include "platform/headless/headless_clock.h"
