#pragma once
// The black-box driver: starts the program under test as a user would and works its windows from
// outside. Include this one header in a scenario test.
#include "driver/common.h"
#include "driver/display_scale.h"
#include "driver/environment.h"
#include "driver/files.h"
#include "driver/message_box.h"
#include "driver/png.h"
#include "driver/screenshot.h"
#include "driver/target_process.h"
#include "driver/window.h"
