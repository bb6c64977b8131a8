// Where tests find the project's files and the third-party test files.
#ifndef VELMORA_TESTS_PATHS_H
#define VELMORA_TESTS_PATHS_H

#include <gtest/gtest.h>

#include <string>

// The project root (VELMORA_SOURCE_DIR, set by CTest).
std::string sourceDir();
// The build's generated data folder (VELMORA_DATA_DIR, set by CTest).
std::string builtDataDir();

// <VELMORA_TESTDATA_DIR>/<relative>, or "" when the build has no external
// corpus or the corpus lacks that file or folder.
std::string testDataPath(const std::string& relative);
// The one-line reason a test gives when testDataPath(relative) is "".
std::string missingTestData(const std::string& relative);

// The third-party 3DS scenes of Debian's assimp-testmodels
// (VELMORA_3DS_MODELS_DIR), or "" when the package is not installed.
std::string thirdParty3dsDir();

// Skips the running test, saying why, when the corpus lacks `relative`.
#define SKIP_WITHOUT_TEST_DATA(relative) \
    do {                                 \
        if (testDataPath(relative).empty()) GTEST_SKIP() << missingTestData(relative); \
    } while (0)

#endif
