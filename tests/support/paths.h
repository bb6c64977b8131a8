// Where tests find the project's files and the shared test data.
#ifndef VELMORA_TESTS_PATHS_H
#define VELMORA_TESTS_PATHS_H

#include <string>

// The project root (VELMORA_SOURCE_DIR, set by CTest).
std::string sourceDir();
// ../shared/testdata/<relative> seen from the project root.
std::string testDataPath(const std::string& relative);
// The build's generated data folder (VELMORA_DATA_DIR, set by CTest).
std::string builtDataDir();

#endif
