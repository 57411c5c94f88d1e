// What the winmm part of the portable layer builds on: the clock and files
// of kernel, and the message loop of user, which runs a device's
// notifications when they are due.
#pragma once

#include "../user/user.h"
