#include "ui/core/launch_presets.h"
