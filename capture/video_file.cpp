#include "capture/video_file.h"

#include "capture/still_files.h"

#include <algorithm>
#include <cstdio>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace {

struct Container {
    const char* extension;
    const char* format;
    const char* video;
    const char* audio;
};

const Container kContainers[] = {
    {".mp4", "mp4", "libx264", "aac"},
    {".mkv", "matroska", "libx264", "aac"},
    {".webm", "webm", "libvpx-vp9", "libopus"},
};

const Container* containerFor(const std::string& path) {
    for (const Container& c : kContainers) {
        std::string ext = c.extension;
        if (path.size() >= ext.size() && path.compare(path.size() - ext.size(), ext.size(), ext) == 0) return &c;
    }
    return nullptr;
}

std::string avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {0};
    av_strerror(code, text, sizeof text);
    return text;
}

int pick(Quality q, int low, int medium, int high) {
    return q == Quality::Low ? low : q == Quality::High ? high : medium;
}

}  // namespace

VideoFile::~VideoFile() {
    if (format_) abandon();
    close();
}

bool VideoFile::fail(const std::string& what, int code) {
    error_ = path_ + ": " + what + (code ? ": " + avError(code) : "");
    return false;
}

bool VideoFile::open(const std::string& path, int width, int height, int fps, int sampleRate, Quality quality) {
    path_ = path;
    width_ = width;
    height_ = height;
    const Container* c = containerFor(path);
    if (!c) return fail("the video file must end in .mp4, .mkv or .webm");
    partPath_ = partPathFor(path);

    av_log_set_level(AV_LOG_ERROR);
    int rc = avformat_alloc_output_context2(&format_, nullptr, c->format, partPath_.c_str());
    if (rc < 0 || !format_) return fail("cannot set up the container", rc);
    if (!openVideo(c->video, width, height, fps, quality)) return false;
    if (!openAudio(c->audio, sampleRate, quality)) return false;

    rc = avio_open(&format_->pb, partPath_.c_str(), AVIO_FLAG_WRITE);
    if (rc < 0) return fail("cannot write here", rc);
    AVDictionary* muxOptions = nullptr;
    // The index up front, so a player can start before the file is whole.
    if (std::string(c->format) == "mp4") av_dict_set(&muxOptions, "movflags", "+faststart", 0);
    rc = avformat_write_header(format_, &muxOptions);
    av_dict_free(&muxOptions);
    if (rc < 0) return fail("cannot write the file's header", rc);
    headerWritten_ = true;
    return true;
}

bool VideoFile::openVideo(const std::string& name, int width, int height, int fps, Quality quality) {
    const AVCodec* codec = avcodec_find_encoder_by_name(name.c_str());
    if (!codec) return fail("FFmpeg has no " + name + " encoder");
    videoStream_ = avformat_new_stream(format_, nullptr);
    video_ = avcodec_alloc_context3(codec);
    if (!videoStream_ || !video_) return fail("out of memory");
    video_->width = width;
    video_->height = height;
    video_->time_base = AVRational{1, fps};
    video_->framerate = AVRational{fps, 1};
    video_->pix_fmt = AV_PIX_FMT_YUV420P;
    video_->gop_size = fps * 2;
    // What swscale's conversion below produces.
    video_->colorspace = AVCOL_SPC_SMPTE170M;
    video_->color_primaries = AVCOL_PRI_SMPTE170M;
    video_->color_trc = AVCOL_TRC_SMPTE170M;
    video_->color_range = AVCOL_RANGE_MPEG;
    if (format_->oformat->flags & AVFMT_GLOBALHEADER) video_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

    AVDictionary* options = nullptr;
    if (name == "libx264") {
        // superfast encodes in about half veryfast's time for a somewhat
        // larger file; only "high" pays for the slower preset.
        av_dict_set(&options, "preset", quality == Quality::High ? "veryfast" : "superfast", 0);
        av_dict_set_int(&options, "crf", pick(quality, 28, 23, 18), 0);
    } else {
        // VP9 at its real-time speed; constant quality, no bit rate cap.
        av_dict_set(&options, "deadline", "realtime", 0);
        av_dict_set_int(&options, "cpu-used", 8, 0);
        av_dict_set_int(&options, "row-mt", 1, 0);
        av_dict_set_int(&options, "crf", pick(quality, 40, 33, 24), 0);
        video_->bit_rate = 0;
    }
    int rc = avcodec_open2(video_, codec, &options);
    av_dict_free(&options);
    if (rc < 0) return fail("cannot open the " + name + " encoder", rc);
    rc = avcodec_parameters_from_context(videoStream_->codecpar, video_);
    if (rc < 0) return fail("cannot describe the picture stream", rc);
    videoStream_->time_base = video_->time_base;
    videoStream_->avg_frame_rate = video_->framerate;

    picture_ = av_frame_alloc();
    if (!picture_) return fail("out of memory");
    picture_->format = AV_PIX_FMT_YUV420P;
    picture_->width = width;
    picture_->height = height;
    rc = av_frame_get_buffer(picture_, 0);
    if (rc < 0) return fail("out of memory", rc);
    scale_ = sws_getContext(width, height, AV_PIX_FMT_BGRA, width, height, AV_PIX_FMT_YUV420P,
                            SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!scale_) return fail("cannot set up the colour conversion");
    packet_ = av_packet_alloc();
    if (!packet_) return fail("out of memory");
    return true;
}

bool VideoFile::openAudio(const std::string& name, int sampleRate, Quality quality) {
    const AVCodec* codec = avcodec_find_encoder_by_name(name.c_str());
    if (!codec) return fail("FFmpeg has no " + name + " encoder");
    audioStream_ = avformat_new_stream(format_, nullptr);
    audio_ = avcodec_alloc_context3(codec);
    if (!audioStream_ || !audio_) return fail("out of memory");
    const bool opus = name == "libopus";
    // Opus runs at 48 kHz only; AAC takes the mixer's rate as it is.
    audio_->sample_rate = opus ? 48000 : sampleRate;
    audio_->sample_fmt = opus ? AV_SAMPLE_FMT_FLT : AV_SAMPLE_FMT_FLTP;
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    av_channel_layout_copy(&audio_->ch_layout, &stereo);
    audio_->bit_rate = opus ? pick(quality, 64000, 96000, 128000) : pick(quality, 96000, 160000, 192000);
    audio_->time_base = AVRational{1, audio_->sample_rate};
    if (format_->oformat->flags & AVFMT_GLOBALHEADER) audio_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int rc = avcodec_open2(audio_, codec, nullptr);
    if (rc < 0) return fail("cannot open the " + name + " encoder", rc);
    rc = avcodec_parameters_from_context(audioStream_->codecpar, audio_);
    if (rc < 0) return fail("cannot describe the sound stream", rc);
    audioStream_->time_base = audio_->time_base;

    rc = swr_alloc_set_opts2(&resample_, &audio_->ch_layout, audio_->sample_fmt, audio_->sample_rate, &stereo,
                             AV_SAMPLE_FMT_FLT, sampleRate, 0, nullptr);
    if (rc < 0 || swr_init(resample_) < 0) return fail("cannot set up the sound conversion", rc);
    fifo_ = av_audio_fifo_alloc(audio_->sample_fmt, 2, 4096);
    sound_ = av_frame_alloc();
    if (!fifo_ || !sound_) return fail("out of memory");
    return true;
}

bool VideoFile::encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame) {
    int rc = avcodec_send_frame(codec, frame);
    if (rc < 0) return fail("encoding failed", rc);
    for (;;) {
        rc = avcodec_receive_packet(codec, packet_);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
        if (rc < 0) return fail("encoding failed", rc);
        av_packet_rescale_ts(packet_, codec->time_base, stream->time_base);
        packet_->stream_index = stream->index;
        rc = av_interleaved_write_frame(format_, packet_);
        if (rc < 0) return fail("cannot write", rc);
    }
}

bool VideoFile::addPicture(const uint8_t* bgra) {
    int rc = av_frame_make_writable(picture_);
    if (rc < 0) return fail("out of memory", rc);
    // GL's rows start at the bottom: read them upwards.
    const int stride = width_ * 4;
    const uint8_t* top[1] = {bgra + static_cast<size_t>(height_ - 1) * stride};
    const int strides[1] = {-stride};
    sws_scale(scale_, top, strides, 0, height_, picture_->data, picture_->linesize);
    picture_->pts = pictures_++;
    return encode(video_, videoStream_, picture_);
}

bool VideoFile::addSound(const float* samples, int frames) {
    if (frames <= 0) return true;
    const int room = swr_get_out_samples(resample_, frames);
    if (av_audio_fifo_realloc(fifo_, av_audio_fifo_size(fifo_) + room) < 0) return fail("out of memory");
    uint8_t* converted[2] = {nullptr, nullptr};
    if (av_samples_alloc(converted, nullptr, 2, room, audio_->sample_fmt, 0) < 0) return fail("out of memory");
    const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(samples)};
    int got = swr_convert(resample_, converted, room, in, frames);
    if (got > 0) av_audio_fifo_write(fifo_, reinterpret_cast<void**>(converted), got);
    av_freep(&converted[0]);
    if (got < 0) return fail("sound conversion failed", got);
    return sendSound(false);
}

// Hands the queued sound to the encoder in frames of its size; the last one,
// when flushing, may be shorter.
bool VideoFile::sendSound(bool flush) {
    const int size = audio_->frame_size > 0 ? audio_->frame_size : 1024;
    while (av_audio_fifo_size(fifo_) >= size || (flush && av_audio_fifo_size(fifo_) > 0)) {
        const int n = std::min(size, av_audio_fifo_size(fifo_));
        av_frame_unref(sound_);
        sound_->nb_samples = n;
        sound_->format = audio_->sample_fmt;
        sound_->sample_rate = audio_->sample_rate;
        av_channel_layout_copy(&sound_->ch_layout, &audio_->ch_layout);
        if (av_frame_get_buffer(sound_, 0) < 0) return fail("out of memory");
        av_audio_fifo_read(fifo_, reinterpret_cast<void**>(sound_->data), n);
        sound_->pts = samplesSent_;
        samplesSent_ += n;
        if (!encode(audio_, audioStream_, sound_)) return false;
    }
    return true;
}

bool VideoFile::finish() {
    // What the resampler still holds, then every encoder's delay.
    const int room = swr_get_out_samples(resample_, 0);
    if (room > 0) {
        uint8_t* converted[2] = {nullptr, nullptr};
        if (av_samples_alloc(converted, nullptr, 2, room, audio_->sample_fmt, 0) < 0) return fail("out of memory");
        int got = swr_convert(resample_, converted, room, nullptr, 0);
        if (got > 0) av_audio_fifo_write(fifo_, reinterpret_cast<void**>(converted), got);
        av_freep(&converted[0]);
    }
    if (!sendSound(true)) return false;
    if (!encode(video_, videoStream_, nullptr) || !encode(audio_, audioStream_, nullptr)) return false;
    int rc = av_write_trailer(format_);
    if (rc < 0) return fail("cannot end the file", rc);
    rc = avio_closep(&format_->pb);
    if (rc < 0) return fail("cannot write", rc);
    if (std::rename(partPath_.c_str(), path_.c_str()) != 0) return fail("cannot give the file its name");
    partPath_.clear();
    finished_ = true;
    close();
    return true;
}

void VideoFile::abandon() {
    if (format_ && format_->pb) avio_closep(&format_->pb);
    if (!partPath_.empty()) std::remove(partPath_.c_str());
    partPath_.clear();
    if (finished_) std::remove(path_.c_str());
    finished_ = false;
    close();
}

void VideoFile::close() {
    avcodec_free_context(&video_);
    avcodec_free_context(&audio_);
    av_frame_free(&picture_);
    av_frame_free(&sound_);
    av_packet_free(&packet_);
    sws_freeContext(scale_);
    scale_ = nullptr;
    swr_free(&resample_);
    if (fifo_) av_audio_fifo_free(fifo_);
    fifo_ = nullptr;
    if (format_) {
        if (format_->pb) avio_closep(&format_->pb);
        avformat_free_context(format_);
        format_ = nullptr;
    }
}
