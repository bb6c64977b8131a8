// The sound layer through its own calls, on SDL's dummy audio driver, with
// the mixed output captured from the device callback.
#include <gtest/gtest.h>
#include <SDL.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/host/pull.h"
#include "platform/sound/sound_api.h"
#include "platform/sound/testing.h"
#include "scene/show_schedule.h"
#include "tests/sound/sound_files.h"
#include "tests/support/paths.h"

namespace {

// Generous: the dummy driver pulls blocks in real time, a slow machine late.
const int kWaitMs = 30000;

const int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

std::string testModule() {
    static const std::string path = writeTestModule("test.xm");
    return path;
}

// The next `frames` frames the device mixes, from after the last call made.
std::vector<float> listen(size_t frames) {
    soundtest::captureOutput(true);
    soundtest::takeCaptured();
    EXPECT_TRUE(soundtest::waitForCapturedFrames(frames, kWaitMs)) << "the device stopped pulling blocks";
    return soundtest::takeCaptured();
}

#if !defined(_WIN32)
std::string fifo(const std::string& name) {
    std::string path = scratchDir() + "/" + name;
    std::filesystem::remove(path);
    EXPECT_EQ(0, mkfifo(path.c_str(), 0600)) << path;
    return path;
}
#endif

// A file of that size whose bytes take no room on disk.
std::string sparse(const std::string& name, long size) {
    std::string path = writeBytes(name, {});
    EXPECT_EQ(0, truncate(path.c_str(), size)) << path;
    return path;
}

class SoundLayer : public ::testing::Test {
protected:
    void SetUp() override { soundtest::reset(); }
    void TearDown() override { soundtest::reset(); }

    static void init(int channels = 32) { ASSERT_EQ(1, FSOUND_Init(44100, channels, 0)); }
};

TEST_F(SoundLayer, EveryCallBeforeInitFailsAsNotInitialised) {
    const std::string wav = writeTone("early.wav", kWav16, 44100, 1, 0.1, 440);
    EXPECT_EQ(nullptr, FMUSIC_LoadSong(testModule().c_str()));
    EXPECT_EQ(FMOD_ERR_NOT_INITIALISED, FSOUND_GetError());
    EXPECT_EQ(nullptr, FSOUND_Stream_OpenWav(wav.c_str(), 0x2B));
    EXPECT_EQ(nullptr, FSOUND_Stream_OpenMpeg(wav.c_str(), 0x29));
    EXPECT_EQ(-1, FMUSIC_PlaySong(nullptr));
    EXPECT_EQ(-1, FSOUND_Stream_Play(-1, nullptr));
    EXPECT_EQ(FMOD_ERR_NOT_INITIALISED, FSOUND_GetError());
    FSOUND_Close();  // closing what was never opened is harmless
}

TEST_F(SoundLayer, InitOpensTheDeviceOnceWithAShortBuffer) {
    init();
    EXPECT_EQ(FMOD_ERR_NONE, FSOUND_GetError());
    EXPECT_EQ(44100, soundtest::deviceRate());
    const int frames = soundtest::deviceBufferFrames();
    EXPECT_GT(frames, 0);
    EXPECT_LE(frames, 2048) << "a long buffer puts the sound behind the picture";
    std::printf("device buffer: %d frames, %.1f ms\n", frames, 1000.0 * frames / soundtest::deviceRate());

    EXPECT_EQ(0, FSOUND_Init(44100, 32, 0));
    EXPECT_EQ(FMOD_ERR_ALREADY_INITIALISED, FSOUND_GetError());
    FSOUND_Close();
    EXPECT_EQ(1, FSOUND_Init(44100, 32, 0)) << "a closed layer can be opened again";
}

TEST_F(SoundLayer, InitFailsWithCode3WhenNoDeviceCanBeOpened) {
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = driver ? driver : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(0, FSOUND_Init(44100, 32, 0));
    EXPECT_EQ(FMOD_ERR_OUTPUT_INIT, FSOUND_GetError());
    setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    EXPECT_EQ(1, FSOUND_Init(44100, 32, 0));
}

TEST_F(SoundLayer, FaultSeamFailsTheNamedCallOnceAndLogsCalls) {
    soundtest::failNextCall("FSOUND_Init", FMOD_ERR_OUTPUT_INIT);
    EXPECT_EQ(0, FSOUND_Init(44100, 32, 0));
    EXPECT_EQ(FMOD_ERR_OUTPUT_INIT, FSOUND_GetError());
    init();
    soundtest::failNextCall("FMUSIC_LoadSong", FMOD_ERR_OUT_OF_MEMORY);
    EXPECT_EQ(nullptr, FMUSIC_LoadSong(testModule().c_str()));
    EXPECT_EQ(FMOD_ERR_OUT_OF_MEMORY, FSOUND_GetError());
    FMUSIC_MODULE* mod = FMUSIC_LoadSong(testModule().c_str());
    EXPECT_NE(nullptr, mod);

    const std::vector<std::string> expected = {"FSOUND_Init",     "FSOUND_GetError", "FSOUND_Init",
                                               "FMUSIC_LoadSong", "FSOUND_GetError", "FMUSIC_LoadSong"};
    EXPECT_EQ(expected, soundtest::callLog());
}

TEST_F(SoundLayer, ModuleLoadFailuresCarryTheirCodes) {
    init();
    struct Case {
        std::string path;
        int code;
    };
    std::vector<Case> cases = {
        {scratchDir() + "/missing.xm", FMOD_ERR_FILE_NOT_FOUND},
        {scratchDir() + "/no/such/folder/x.xm", FMOD_ERR_FILE_NOT_FOUND},
        {writeBytes("text.xm", std::vector<char>(400, 'a')), FMOD_ERR_FILE_FORMAT},
        {writeBytes("empty.xm", {}), FMOD_ERR_FILE_FORMAT},
        {scratchDir(), FMOD_ERR_FILE_LOAD},  // a folder
        {sparse("huge.xm", (64 << 20) + 1), FMOD_ERR_OUT_OF_MEMORY},
    };
#if !defined(_WIN32)
    cases.push_back({fifo("pipe.xm"), FMOD_ERR_FILE_LOAD});  // refused, not waited on for a writer
#endif
    for (const Case& c : cases) {
        EXPECT_EQ(nullptr, FMUSIC_LoadSong(c.path.c_str())) << c.path;
        EXPECT_EQ(c.code, FSOUND_GetError()) << c.path;
    }
    EXPECT_EQ(nullptr, FMUSIC_LoadSong(nullptr));
    EXPECT_EQ(FMOD_ERR_INVALID_PARAM, FSOUND_GetError());
}

TEST_F(SoundLayer, PlayingModuleSoundsStoppedModuleIsSilentAndPlayRestarts) {
    init();
    FMUSIC_MODULE* mod = FMUSIC_LoadSong(testModule().c_str());
    ASSERT_NE(nullptr, mod);
    EXPECT_EQ(0.0f, peak(listen(2048))) << "loaded is not playing";

    EXPECT_NE(-1, FMUSIC_PlaySong(mod));
    EXPECT_GT(peak(listen(8192)), 0.01f);
    EXPECT_EQ(1, FMUSIC_StopSong(mod));
    EXPECT_EQ(0.0f, peak(listen(4096)));
    EXPECT_NE(-1, FMUSIC_PlaySong(mod)) << "a stopped module stays loaded";
    EXPECT_GT(peak(listen(8192)), 0.01f);

    EXPECT_EQ(1, FMUSIC_FreeSong(mod));
    EXPECT_EQ(0.0f, peak(listen(4096)));
    // The handle is dead now: refused, not followed.
    EXPECT_EQ(0, FMUSIC_FreeSong(mod));
    EXPECT_EQ(FMOD_ERR_INVALID_PARAM, FSOUND_GetError());
    EXPECT_EQ(-1, FMUSIC_PlaySong(mod));
}

TEST_F(SoundLayer, PulledMixerOpensNoDeviceAndGivesTheSameSoundInAnyPieces) {
    soundpull::setPulled(true);
    init();
    EXPECT_EQ(0u, SDL_WasInit(SDL_INIT_AUDIO)) << "no audio device when pulled";
    FMUSIC_MODULE* mod = FMUSIC_LoadSong((builtDataDir() + "/velmora.xm").c_str());
    ASSERT_NE(nullptr, mod);
    ASSERT_NE(-1, FMUSIC_PlaySong(mod));

    // A second at 60 frames a second, then the same second again in one piece.
    std::vector<float> pieces(44100 * 2), whole(44100 * 2);
    for (int frame = 0; frame < 60; ++frame)
        ASSERT_EQ(735, soundpull::pull(&pieces[static_cast<size_t>(frame) * 735 * 2], 735));
    ASSERT_NE(-1, FMUSIC_PlaySong(mod));
    ASSERT_EQ(44100, soundpull::pull(whole.data(), 44100));
    EXPECT_GT(peak(whole), 0.01f);
    // The same sound, but for the float rounding of the decoder's blocks.
    float worst = 0;
    for (size_t i = 0; i < whole.size(); ++i) worst = std::max(worst, std::fabs(whole[i] - pieces[i]));
    EXPECT_LT(worst, 1e-5f);

    // The song ends with the show: fewer frames than asked, then none.
    long total = 44100;
    std::vector<float> block(4096 * 2);
    int got;
    while ((got = soundpull::pull(block.data(), 4096)) == 4096) total += got;
    total += got;
    EXPECT_NEAR(SHOW_LENGTH_MS / 1000.0, total / 44100.0, 0.05);
    EXPECT_EQ(0, soundpull::pull(block.data(), 4096));
}

TEST_F(SoundLayer, ModuleIsReadWholeWhenLoaded) {
    init();
    const std::string copy = writeBytes("whole.xm", readBytes(testModule()));
    FMUSIC_MODULE* mod = FMUSIC_LoadSong(copy.c_str());
    ASSERT_NE(nullptr, mod);
    std::filesystem::remove(copy);
    EXPECT_NE(-1, FMUSIC_PlaySong(mod));
    EXPECT_GT(peak(listen(8192)), 0.01f);
}

TEST_F(SoundLayer, NullHandlesAreRefusedWithoutCrashing) {
    init();
    EXPECT_EQ(-1, FMUSIC_PlaySong(nullptr));
    EXPECT_EQ(FMOD_ERR_INVALID_PARAM, FSOUND_GetError());
    EXPECT_EQ(0, FMUSIC_StopSong(nullptr));
    EXPECT_EQ(0, FMUSIC_FreeSong(nullptr));
    EXPECT_EQ(-1, FSOUND_Stream_Play(-1, nullptr));
    EXPECT_EQ(FMOD_ERR_INVALID_PARAM, FSOUND_GetError());
    EXPECT_EQ(0, FSOUND_Stream_Close(nullptr));
}

// A module, whole, cut short and with header fields, pattern and instrument
// sizes overwritten with extremes: each copy either loads and plays or fails
// with a load code; the sanitizer build checks that nothing reads out of bounds.
void expectWholeAndDamagedCopiesLoadOrFailCleanly(const std::string& name, const std::vector<char>& bytes) {
    auto tryLoad = [](const std::string& path, const std::string& what) {
        FMUSIC_MODULE* mod = FMUSIC_LoadSong(path.c_str());
        if (!mod) {
            const int code = FSOUND_GetError();
            EXPECT_TRUE(code == FMOD_ERR_FILE_FORMAT || code == FMOD_ERR_FILE_LOAD) << what << ": code " << code;
            return;
        }
        EXPECT_NE(-1, FMUSIC_PlaySong(mod)) << what;
        listen(1024);
        EXPECT_EQ(1, FMUSIC_FreeSong(mod)) << what;
    };
    tryLoad(writeBytes("whole.xm", bytes), name);
    for (size_t size : {size_t{17}, size_t{60}, size_t{80}, size_t{336}, bytes.size() / 2, bytes.size() - 1}) {
        if (size >= bytes.size()) continue;
        const std::vector<char> cut(bytes.begin(), bytes.begin() + static_cast<long>(size));
        tryLoad(writeBytes("cut.xm", cut), name + " cut to " + std::to_string(size));
    }
    for (int seed = 1; seed <= 4; ++seed) {
        std::vector<char> damaged = bytes;
        for (size_t at = 60 + seed; at < damaged.size(); at += 13 * seed) damaged[at] = seed % 2 ? '\xFF' : 0;
        tryLoad(writeBytes("damaged.xm", damaged), name + " damaged " + std::to_string(seed));
    }
}

TEST_F(SoundLayer, OwnModuleAndDamagedCopiesLoadOrFailCleanly) {
    init();
    expectWholeAndDamagedCopiesLoadOrFailCleanly("test.xm", readBytes(testModule()));
}

// Third-party modules: stereo samples, jumps and breaks in one row, a
// malformed instrument header.
TEST_F(SoundLayer, CorpusModulesAndDamagedCopiesLoadOrFailCleanly) {
    SKIP_WITHOUT_TEST_DATA("xm");
    init();
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(testDataPath("xm"))) {
        ++files;
        expectWholeAndDamagedCopiesLoadOrFailCleanly(entry.path().filename().string(), readBytes(entry.path().string()));
    }
    EXPECT_GE(files, 4);
}

TEST_F(SoundLayer, WavStreamsPlayAtTheirOwnPitchAndEnd) {
    init(2);
    // Mono at half the device rate, and stereo at a higher one: both converted.
    struct Case {
        int rate;
        int channels;
        double hz;
    };
    for (const Case& c : {Case{22050, 1, 440}, Case{48000, 2, 1000}}) {
        const std::string name = "tone" + std::to_string(c.rate) + ".wav";
        const std::string wav = writeTone(name, kWav16, c.rate, c.channels, 0.4, c.hz);
        FSOUND_STREAM* stream = FSOUND_Stream_OpenWav(wav.c_str(), 0x2B);
        ASSERT_NE(nullptr, stream) << name;
        EXPECT_EQ(0, FSOUND_Stream_Play(-1, stream)) << "the first free channel";
        const std::vector<float> heard = listen(4410);
        EXPECT_GT(peak(heard), 0.3f) << name;
        EXPECT_NEAR(c.hz, frequencyOf(heard, 44100), c.hz * 0.03) << name;

        // Once the file is played out the channel is free again.
        const std::vector<float> tail = listen(44100);
        EXPECT_EQ(0.0f, peak(std::vector<float>(tail.end() - 4096, tail.end()))) << name;
        EXPECT_EQ(0, FSOUND_Stream_Play(-1, stream)) << "replaying takes the freed channel";
        EXPECT_EQ(1, FSOUND_Stream_Close(stream));
        EXPECT_EQ(0.0f, peak(listen(2048)));
    }
}

TEST_F(SoundLayer, Mp3StreamPlays) {
    init();
    const std::string mp3 = writeTone("tone.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 2, 1.0, 440);
    if (mp3.empty()) GTEST_SKIP() << "libsndfile cannot write MP3 here";
    FSOUND_STREAM* stream = FSOUND_Stream_OpenMpeg(mp3.c_str(), 0x29);
    ASSERT_NE(nullptr, stream);
    ASSERT_NE(-1, FSOUND_Stream_Play(-1, stream));
    const std::vector<float> heard = listen(8820);
    EXPECT_GT(peak(heard), 0.2f);
    EXPECT_NEAR(440, frequencyOf(heard, 44100), 15);
}

TEST_F(SoundLayer, StreamsShareTheChannelsGivenAtInit) {
    init(2);
    const std::string wav = writeTone("long.wav", kWav16, 44100, 1, 3.0, 300);
    FSOUND_STREAM* a = FSOUND_Stream_OpenWav(wav.c_str(), 0x2B);
    FSOUND_STREAM* b = FSOUND_Stream_OpenWav(wav.c_str(), 0x2B);
    FSOUND_STREAM* c = FSOUND_Stream_OpenWav(wav.c_str(), 0x2B);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(0, FSOUND_Stream_Play(-1, a));
    EXPECT_EQ(1, FSOUND_Stream_Play(-1, b));
    EXPECT_EQ(-1, FSOUND_Stream_Play(-1, c));
    EXPECT_EQ(FMOD_ERR_NO_FREE_CHANNEL, FSOUND_GetError());
    EXPECT_EQ(-1, FSOUND_Stream_Play(2, c));
    EXPECT_EQ(FMOD_ERR_INVALID_PARAM, FSOUND_GetError());
    EXPECT_EQ(0, FSOUND_Stream_Play(0, c)) << "a named channel is taken over";
    EXPECT_EQ(-1, FSOUND_Stream_Play(-1, a));
    EXPECT_EQ(1, FSOUND_Stream_Close(b));
    EXPECT_EQ(1, FSOUND_Stream_Play(-1, a));
    EXPECT_EQ(0, FSOUND_Stream_Close(b)) << "closed twice";
    EXPECT_EQ(FMOD_ERR_INVALID_PARAM, FSOUND_GetError());
}

TEST_F(SoundLayer, StreamOpenFailuresCarryTheirCodes) {
    init();
    EXPECT_EQ(nullptr, FSOUND_Stream_OpenWav((scratchDir() + "/missing.wav").c_str(), 0x2B));
    EXPECT_EQ(FMOD_ERR_FILE_NOT_FOUND, FSOUND_GetError());
    EXPECT_EQ(nullptr, FSOUND_Stream_OpenMpeg(writeBytes("text.wav", std::vector<char>(400, 'a')).c_str(), 0x29));
    EXPECT_EQ(FMOD_ERR_FILE_FORMAT, FSOUND_GetError());
    EXPECT_EQ(nullptr, FSOUND_Stream_OpenWav(nullptr, 0x2B));
    EXPECT_EQ(FMOD_ERR_INVALID_PARAM, FSOUND_GetError());

    // A WAV cut short in its header fails; one cut in its data plays what is there.
    const std::vector<char> wav = readBytes(writeTone("whole.wav", kWav16, 44100, 1, 0.2, 440));
    EXPECT_EQ(nullptr, FSOUND_Stream_OpenWav(writeBytes("head.wav", {wav.begin(), wav.begin() + 30}).c_str(), 0x2B));
    EXPECT_NE(FMOD_ERR_NONE, FSOUND_GetError());
    FSOUND_STREAM* cut = FSOUND_Stream_OpenWav(writeBytes("cut.wav", {wav.begin(), wav.begin() + 2000}).c_str(), 0x2B);
    ASSERT_NE(nullptr, cut);
    EXPECT_NE(-1, FSOUND_Stream_Play(-1, cut));
    EXPECT_GT(peak(listen(1024)), 0.1f);
}

TEST_F(SoundLayer, CloseFreesWhatIsStillOpenAndSilences) {
    init();
    FMUSIC_MODULE* mod = FMUSIC_LoadSong(testModule().c_str());
    FSOUND_STREAM* stream = FSOUND_Stream_OpenWav(writeTone("open.wav", kWav16, 44100, 1, 1.0, 440).c_str(), 0x2B);
    ASSERT_TRUE(mod && stream);
    FMUSIC_PlaySong(mod);
    FSOUND_Stream_Play(-1, stream);
    FSOUND_Close();  // the leak checker sees whether both were freed
    EXPECT_EQ(0, soundtest::deviceRate());
    EXPECT_EQ(-1, FMUSIC_PlaySong(mod));
    EXPECT_EQ(FMOD_ERR_NOT_INITIALISED, FSOUND_GetError());
}

}  // namespace
