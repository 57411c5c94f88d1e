// What the common dialogs of the portable layer build on: DOS paths and the
// narration of kernel. The dialogs are answered by a script, so they draw nothing.
#pragma once

#include "../kernel/kernel.h"
