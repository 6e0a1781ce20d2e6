#pragma once
// Argument strings as the program builds them, one per format row and codec
// choice, without the head (paths) and the tail. Shared by the parser,
// translation and end-to-end tests.

#include <string>

namespace encodertest {

struct FormatRow {
    const char* name;
    std::string options;
};

inline const std::string kAviLavf =
    " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2";
inline const std::string kMpgLavf =
    " -of lavf -lavfopts format=mpg:i_certify_that_my_video_stream_does_not_use_b_frames";
inline const std::string kStereo44 = " -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100";

// Every row ends with its frame rate and scaling pieces.
inline const FormatRow kFormatRows[] = {
    {"AviDivxMp3",
     " -oac mp3lame -ovc lavc -lameopts vbr=3:br=128:mode=3"
     " -lavcopts vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50" +
         kAviLavf + " -af volume=+0db:0:channels=2 -ofps 30000/1001 -vf scale=320:240,harddup"},
    {"AviDivxAc3",
     " -oac lavc -ovc lavc"
     " -lavcopts acodec=ac3:abitrate=128:vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1"
     " -ffourcc DX50" +
         kAviLavf + " -af volume=+0db:0:channels=6:lavcresample=44100 -srate 44100 -ofps 25.000000"},
    {"AviXvidMp3",
     " -oac mp3lame -ovc xvid -lameopts vbr=3:br=96:mode=3 -xvidencopts bitrate=640:autoaspect=1" +
         kAviLavf + " -af volume=+5db:0:channels=2 -ofps 15000/1001 -vf scale=176:144,harddup"},
    {"AviXvidAc3",
     " -oac lavc -ovc xvid -lavcopts acodec=ac3:abitrate=224 -xvidencopts bitrate=2500:autoaspect=1" +
         kAviLavf + " -af volume=-3db:0:channels=6:lavcresample=44100 -srate 44100 -ofps 24.000000"},
    {"Mpeg1",
     kStereo44 +
         " -oac lavc -ovc lavc -lavcopts vcodec=mpeg1video:keyint=18:vrc_buf_size=327:vrc_minrate=1000"
         ":vbitrate=1000:vrc_maxrate=1000:acodec=mp2:abitrate=192:autoaspect=1:aspect=4/3" +
         kMpgLavf + " -ofps 25.000000 -vf scale=320:240,harddup"},
    {"Mpeg2",
     " -oac lavc -ovc lavc -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=1835:vrc_maxrate=9400"
     ":vbitrate=2000:acodec=mp2:abitrate=160:autoaspect=1:aspect=16/9" +
         kMpgLavf + kStereo44 + " -ofps 30000/1001 -vf scale=352:288,harddup"},
    {"VcdNtsc",
     " -oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg1video:keyint=18:vrc_buf_size=327"
     ":vrc_minrate=1152:vbitrate=1152:vrc_maxrate=1152:acodec=mp2:abitrate=192:autoaspect=1:aspect=4/3"
     " -mpegopts format=xvcd" +
         kStereo44 + " -ofps 24000/1001 -vf scale=352:240,harddup"},
    {"VcdPal",
     " -oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg1video:keyint=15:vrc_buf_size=327"
     ":vrc_minrate=1152:vbitrate=1152:vrc_maxrate=1152:acodec=mp2:abitrate=192:autoaspect=1:aspect=16/9"
     " -mpegopts format=xvcd" +
         kStereo44 + " -ofps 25.000000 -vf scale=352:288,harddup"},
    {"SvcdNtsc",
     " -oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=917"
     ":vrc_minrate=600:vrc_maxrate=1650:vbitrate=800:acodec=mp2:abitrate=128:autoaspect=1:aspect=4/3"
     " -mpegopts format=xsvcd" +
         kStereo44 + " -ofps 30000/1001 -vf scale=480:480,harddup"},
    {"DvdPalAc3",
     " -oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg2video:keyint=15:vrc_buf_size=1835"
     ":vrc_maxrate=9400:vbitrate=5000:acodec=ac3:abitrate=224:autoaspect=1:aspect=16/9"
     " -mpegopts format=dvd -af volume=+0db:0:lavcresample=48000 -srate 48000"
     " -ofps 25.000000 -vf scale=720:576,harddup"},
    {"DvdNtscMp2",
     " -oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=1835"
     ":vrc_maxrate=9400:vbitrate=800:acodec=mp2:abitrate=112:autoaspect=1:aspect=4/3"
     " -mpegopts format=dvd -af volume=+20db:0:lavcresample=48000 -srate 48000"
     " -ofps 30000/1001 -vf scale=720:480,harddup"},
    {"WmvWmav2",
     " -oac lavc -ovc lavc -lavcopts vcodec=wmv2:acodec=wmav2:vqscale=16:abitrate=128:autoaspect=1"
     " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=wmv -sws 2"
     " -af volume=+0db:0:channels=2 -srate 44100 -ofps 1000.000000 -vf scale=320:240,harddup"},
    {"WmvWmav1",
     " -oac lavc -ovc lavc -lavcopts vcodec=wmv2:acodec=wmav1:vqscale=29:abitrate=64:autoaspect=1"
     " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=wmv -sws 2"
     " -af volume=-20db:0:channels=2 -srate 44100 -ofps 1000.000000"},
    {"AsfMsmpeg4Wmav1",
     " -oac lavc -ovc lavc -lavcopts vcodec=msmpeg4:acodec=wmav1:vqscale=9:abitrate=224:autoaspect=1"
     " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=asf -sws 2"
     " -af volume=+0db:0:channels=2 -srate 44100 -ofps 1000.000000 -vf scale=320:240,harddup"},
    {"AsfMsmpeg4v2Wmav2",
     " -oac lavc -ovc lavc -lavcopts vcodec=msmpeg4v2:acodec=wmav2:vqscale=21:abitrate=96:autoaspect=1"
     " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=asf -sws 2"
     " -af volume=+0db:0:channels=2 -srate 44100 -ofps 1000.000000 -vf scale=320:240,harddup"},
    {"AsfWmv2Wmav2",
     " -oac lavc -ovc lavc -lavcopts vcodec=wmv2:acodec=wmav2:vqscale=26:abitrate=64:autoaspect=1"
     " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=asf -sws 2"
     " -af volume=+0db:0:channels=2 -srate 44100 -ofps 1000.000000 -vf scale=160:120,harddup"},
};

inline std::string head(const std::string& source, const std::string& output)
{
    return "\"" + source + "\" -o \"" + output + "\"";
}

inline std::string tail(int mode, int descriptor)
{
    return " -endpos 9:0:0 " + std::to_string(mode) + " " + std::to_string(descriptor);
}

}  // namespace encodertest
