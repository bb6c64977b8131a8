// What the fuzz targets share: a working folder holding data/, where each
// input is written under the name the program would read it by.
#ifndef VELMORA_TESTS_FUZZ_FUZZ_SUPPORT_H
#define VELMORA_TESTS_FUZZ_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <string>

// Moves into a fresh folder with an empty data/ (on tmpfs when there is
// one) and sets the headless SDL drivers; once per process.
void enterFuzzFolder();

// Writes the input to data/name; false when it cannot.
bool writeDataFile(const char* name, const uint8_t* data, size_t size);

#endif
