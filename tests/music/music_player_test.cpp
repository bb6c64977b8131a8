// MusicPlayer on the real sound layer (dummy audio driver), with its boxes
// captured by the Win32 layer.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <climits>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "music/music_player.h"
#include "platform/sound/testing.h"
#include "platform/win32/testing.h"
#include "tests/sound/sound_files.h"

namespace {

const int kWaitMs = 30000;

// The test module under a short path: the player keeps at most 49 characters.
std::string songPath() {
    static const std::string path = writeTestModule("song.xm");
    return path;
}
const UINT kSoundErrorStyle = 0x1010;

class MusicPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        soundtest::reset();
        win32test::reset();
        win32test::captureMessageBoxes(true);
    }
    void TearDown() override {
        soundtest::reset();
        win32test::reset();
    }

    static std::vector<std::string> boxTexts() {
        std::vector<std::string> texts;
        for (const win32test::MessageBoxRecord& box : win32test::messageBoxes()) {
            EXPECT_EQ("ERROR!", box.caption);
            EXPECT_EQ(kSoundErrorStyle, box.style);
            texts.push_back(box.text);
        }
        return texts;
    }

    static std::vector<float> listen(size_t frames) {
        soundtest::captureOutput(true);
        soundtest::takeCaptured();
        EXPECT_TRUE(soundtest::waitForCapturedFrames(frames, kWaitMs));
        return soundtest::takeCaptured();
    }

    // The calls the player makes into the sound library, in order.
    static std::vector<std::string> libraryCalls() { return soundtest::callLog(); }
};

// The texts checked against what the sound layer itself reports: each failure
// provoked for real, its code read back, and the words the viewer then sees.
TEST(SoundErrorText, NamesWhatTheSoundLayerReallyFailedAt) {
    soundtest::reset();
    auto textAfter = [](bool failed) {
        EXPECT_TRUE(failed);
        return std::string(soundErrorText(FSOUND_GetError()));
    };
    EXPECT_EQ("This command failed because FSOUND_Init was not called",
              textAfter(FMUSIC_LoadSong("data/velmora.xm") == nullptr));
    ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
    EXPECT_EQ("Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.",
              textAfter(!FSOUND_Init(44100, 32, 0)));
    EXPECT_EQ("File not found", textAfter(FMUSIC_LoadSong("no such file.xm") == nullptr));
    const std::string text = writeBytes("words.xm", {'n', 'o', 't', ' ', 'a', ' ', 's', 'o', 'n', 'g'});
    EXPECT_EQ("Unknown file format", textAfter(FMUSIC_LoadSong(text.c_str()) == nullptr));
    EXPECT_EQ("An invalid parameter was passed to this function", textAfter(FMUSIC_LoadSong(nullptr) == nullptr));
    FSOUND_Close();
    EXPECT_EQ("No errors", std::string(soundErrorText(FMOD_ERR_NONE)));
    soundtest::reset();
    // The spacing is part of the text.
    EXPECT_NE(nullptr, std::strstr(soundErrorText(1), "FSOUND_Init.  Call"));
    EXPECT_EQ(' ', soundErrorText(12)[std::strlen(soundErrorText(12)) - 1]);
}

TEST(SoundErrorText, EveryOtherCodeIsUnknown) {
    for (int code : {20, 21, 255, 1000, INT_MAX, -1, -20, INT_MIN}) EXPECT_STREQ("Unknown error", soundErrorText(code)) << code;
}

TEST_F(MusicPlayerTest, ModulePlaysStopsAndReleases) {
    const std::string path = songPath();
    MusicPlayer* player = new MusicPlayer(path.c_str(), Module);
    EXPECT_TRUE(boxTexts().empty());
    EXPECT_NE(nullptr, player->song);
    EXPECT_EQ(nullptr, player->stream);
    EXPECT_STREQ(path.c_str(), player->path);

    EXPECT_EQ(1, player->play());
    EXPECT_GT(peak(listen(8192)), 0.01f);
    EXPECT_EQ(1, player->stop());
    EXPECT_EQ(0.0f, peak(listen(4096)));

    soundtest::clearCallLog();
    player->release();
    delete player;
    EXPECT_EQ((std::vector<std::string>{"FMUSIC_FreeSong", "FSOUND_Close"}), libraryCalls());
    EXPECT_EQ(0, soundtest::deviceRate()) << "the library is closed";
}

TEST_F(MusicPlayerTest, MissingFileShowsOneBoxAndPlayFails) {
    MusicPlayer player("data/no-such-song.xm", Module);
    EXPECT_EQ((std::vector<std::string>{"File not found"}), boxTexts());
    EXPECT_EQ(nullptr, player.song);
    // The null song goes to the library, which refuses it.
    EXPECT_EQ(0, player.play());
    player.release();
}

TEST_F(MusicPlayerTest, FailedInitShowsTwoBoxes) {
    soundtest::failNextCall("FSOUND_Init", 3);
    MusicPlayer player(songPath().c_str(), Module);
    EXPECT_EQ((std::vector<std::string>{"Error initializing output device.",
                                        "This command failed because FSOUND_Init was not called"}),
              boxTexts());
    EXPECT_EQ(nullptr, player.song);
    EXPECT_EQ(0, player.play());
    player.release();
}

TEST_F(MusicPlayerTest, KindOutsideOneToThreeInitialisesButOpensNothing) {
    for (int value : {0, 4, -1, 7}) {
        soundtest::reset();
        win32test::reset();
        win32test::captureMessageBoxes(true);
        MusicPlayer player(songPath().c_str(), static_cast<MusicKind>(value));
        EXPECT_EQ((std::vector<std::string>{"internal error: not a valid sound type"}), boxTexts()) << value;
        EXPECT_EQ(value, player.kind);
        EXPECT_EQ(nullptr, player.song);
        EXPECT_EQ(nullptr, player.stream);
        EXPECT_EQ((std::vector<std::string>{"FSOUND_Init"}), libraryCalls()) << "initialised, nothing opened";
        EXPECT_EQ(44100, soundtest::deviceRate());

        EXPECT_EQ(1, player.play());
        EXPECT_EQ(1, player.stop());
        EXPECT_EQ((std::vector<std::string>{"FSOUND_Init"}), libraryCalls()) << "play and stop call nothing";
        player.release();
        EXPECT_EQ((std::vector<std::string>{"FSOUND_Init", "FSOUND_Close"}), libraryCalls());
    }
}

TEST_F(MusicPlayerTest, PathOf49CharactersIsKeptWhole) {
    std::string name = scratchDir() + "/";
    name += std::string(49 - name.size() - 3, 'p') + ".xm";
    ASSERT_EQ(49u, name.size());
    writeTestModule(name.substr(name.find('/') + 1));
    MusicPlayer player(name.c_str(), Module);
    EXPECT_STREQ(name.c_str(), player.path);
    EXPECT_TRUE(boxTexts().empty());
    EXPECT_NE(nullptr, player.song);
    player.release();
}

TEST_F(MusicPlayerTest, LongerPathIsRefusedWithoutWritingPastTheField) {
    // An overrun of path would land in kind, which this test watches.
    static_assert(offsetof(MusicPlayer, path) < offsetof(MusicPlayer, kind), "kind follows path");
    for (size_t length : {size_t{50}, size_t{51}, size_t{300}}) {
        soundtest::reset();
        win32test::reset();
        win32test::captureMessageBoxes(true);
        const std::string path(length, 'a');
        MusicPlayer* player = new MusicPlayer(path.c_str(), Module);
        EXPECT_STREQ("", player->path) << length;
        EXPECT_EQ(Module, player->kind) << "the field after path is intact";
        EXPECT_EQ((std::vector<std::string>{"File not found"}), boxTexts()) << length;
        player->release();
        delete player;
    }
}

TEST_F(MusicPlayerTest, WavStreamPlaysAndReleaseClosesIt) {
    const std::string wav = writeTone("music.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 2.0, 440);
    ASSERT_LT(wav.size(), 50u);
    MusicPlayer player(wav.c_str(), WavStream);
    EXPECT_TRUE(boxTexts().empty());
    EXPECT_EQ(nullptr, player.song);
    ASSERT_NE(nullptr, player.stream);
    EXPECT_EQ(1, player.play());
    EXPECT_GT(peak(listen(4096)), 0.3f);

    soundtest::clearCallLog();
    EXPECT_EQ(1, player.stop());
    EXPECT_TRUE(libraryCalls().empty()) << "there is no stopping a stream";
    player.release();
    EXPECT_EQ((std::vector<std::string>{"FSOUND_Stream_Close", "FSOUND_Close"}), libraryCalls());
}

TEST_F(MusicPlayerTest, MpegStreamOpensWithItsOwnCall) {
    const std::string mp3 = writeTone("music.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 2, 1.0, 440);
    if (mp3.empty()) GTEST_SKIP() << "libsndfile cannot write MP3 here";
    MusicPlayer player(mp3.c_str(), MpegStream);
    EXPECT_TRUE(boxTexts().empty());
    ASSERT_NE(nullptr, player.stream);
    EXPECT_EQ((std::vector<std::string>{"FSOUND_Init", "FSOUND_Stream_OpenMpeg"}), libraryCalls());
    EXPECT_EQ(1, player.play());
    EXPECT_GT(peak(listen(4096)), 0.2f);
    player.release();
}

}  // namespace
