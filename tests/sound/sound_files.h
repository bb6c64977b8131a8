// Files the sound tests write for themselves, in a folder of their own.
#ifndef VELMORA_TESTS_SOUND_FILES_H
#define VELMORA_TESTS_SOUND_FILES_H

#include <string>
#include <vector>

// A fresh folder for this test program under the working folder, removed
// when the program ends; the paths in it are short.
std::string scratchDir();
std::string writeBytes(const std::string& name, const std::vector<char>& bytes);
std::vector<char> readBytes(const std::string& path);
// A sine tone written with libsndfile; format is an SF_FORMAT_* major|minor pair.
// Empty when libsndfile cannot write that format here.
std::string writeTone(const std::string& name, int format, int rate, int channels, double seconds, double hz);

// A module written with the project's module writer: two looped tones, panned
// apart, that sound from the first row for about eight seconds, then end.
std::string writeTestModule(const std::string& name);

// Largest absolute sample.
float peak(const std::vector<float>& samples);
// Frequency of the left channel from its upward zero crossings.
double frequencyOf(const std::vector<float>& stereo, int rate);

#endif
