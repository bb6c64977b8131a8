// Runs velmora-capture as a user would, from the build folder that holds data/.
#ifndef VELMORA_TESTS_CAPTURE_CAPTURE_RUN_H
#define VELMORA_TESTS_CAPTURE_CAPTURE_RUN_H

#include <filesystem>
#include <string>
#include <vector>

struct CaptureRun {
    int exitCode = -1;
    std::string output;  // standard output and error together
};

// Arguments are passed as they are, without a shell.
CaptureRun runCaptureProgram(const std::vector<std::string>& args);
// Starts it with its output to /dev/null; the child's process id.
int startCaptureProgram(const std::vector<std::string>& args);

// A fresh folder, removed with what is in it when the test ends.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

#endif
