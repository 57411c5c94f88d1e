// What the shell part of the portable layer builds on: DOS paths and the
// narration of kernel. The folder chooser is answered by a script.
#pragma once

#include "../kernel/kernel.h"
