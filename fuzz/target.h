// What the fuzz targets share: a fresh headless machine, and the input
// written to a file where the program will look for it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/testing/layer.h"

// The machine for a run: its drives, a screen (small, so that blackening it
// does not take the time of a run) and the virtual clock.
void FuzzMachine(int width = 160, int height = 120);
// Moves the machine's C: drive, as it stands, into memory (/dev/shm), where
// the flushes of a save cost nothing; it stays on the disk when it cannot.
void DriveCInMemory();
// Writes the input to a DOS path; false when the write fails.
bool WriteInput(const std::string &path, const uint8_t *data, size_t size);
// The whole of the file at a DOS path; false when it cannot be opened or read.
bool ReadBack(const std::string &path, std::vector<uint8_t> *bytes);

// A finding: what the program produced contradicts itself.
#define FUZZ_CHECK(condition)                                                            \
    do {                                                                                 \
        if (!(condition)) {                                                              \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                \
        }                                                                                \
    } while (0)
