#include "encoder/SourceProbe.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

namespace brantixenc {

namespace {

struct InputCloser {
    AVFormatContext* ctx = nullptr;
    ~InputCloser() { avformat_close_input(&ctx); }
};

bool valid(AVRational r)
{
    return r.num > 0 && r.den > 0;
}

}  // namespace

SourceInfo probeSource(const std::string& path)
{
    SourceInfo info;
    av_log_set_level(AV_LOG_QUIET);
    InputCloser input;
    if (avformat_open_input(&input.ctx, path.c_str(), nullptr, nullptr) < 0) {
        info.problem = "cannot open or recognise the source file";
        return info;
    }
    if (avformat_find_stream_info(input.ctx, nullptr) < 0) {
        info.problem = "cannot read the streams of the source file";
        return info;
    }
    AVFormatContext* f = input.ctx;
    // The first streams, as MEncoder picks them; a cover picture is no video.
    for (unsigned i = 0; i < f->nb_streams; ++i) {
        const AVStream* s = f->streams[i];
        const AVCodecParameters* p = s->codecpar;
        if (p->codec_type == AVMEDIA_TYPE_VIDEO && info.videoStream < 0 &&
            !(s->disposition & AV_DISPOSITION_ATTACHED_PIC) && p->width > 0 && p->height > 0)
            info.videoStream = int(i);
        else if (p->codec_type == AVMEDIA_TYPE_AUDIO && info.audioStream < 0 &&
                 p->ch_layout.nb_channels > 0)
            info.audioStream = int(i);
    }
    if (info.videoStream < 0) {
        info.problem = "the source file has no video stream";
        return info;
    }
    const AVStream* v = f->streams[info.videoStream];
    info.readable = true;
    info.width = v->codecpar->width;
    info.height = v->codecpar->height;
    AVRational sar = av_guess_sample_aspect_ratio(f, const_cast<AVStream*>(v), nullptr);
    if (valid(sar)) {
        info.sarNum = sar.num;
        info.sarDen = sar.den;
    }
    // The average rate is what players show; r_frame_rate can be a field rate.
    AVRational rate = valid(v->avg_frame_rate) ? v->avg_frame_rate : v->r_frame_rate;
    if (valid(rate)) {
        info.rateNum = rate.num;
        info.rateDen = rate.den;
    }
    if (f->duration != AV_NOPTS_VALUE && f->duration > 0)
        info.durationSeconds = double(f->duration) / AV_TIME_BASE;
    else if (v->duration != AV_NOPTS_VALUE && v->duration > 0)
        info.durationSeconds = double(v->duration) * av_q2d(v->time_base);
    if (info.audioStream >= 0) {
        const AVCodecParameters* a = f->streams[info.audioStream]->codecpar;
        info.audioChannels = a->ch_layout.nb_channels;
        info.audioSampleRate = a->sample_rate;
    }
    return info;
}

}  // namespace brantixenc
