// Writes the seed corpus of every fuzz target: small valid files of each kind and variant the
// readers know, made here rather than copied from anywhere.
//
//   fuzz_seeds OUTPUT_FOLDER    writes OUTPUT_FOLDER/<target>/<seed>

#include <lame/lame.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/HighScoreTable.h"
#include "tests/sound/WavBuilder.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

fs::path outFolder;

bool Save(const std::string& target, const std::string& name, const Bytes& bytes) {
  fs::create_directories(outFolder / target);
  return wav::Write(outFolder / target / name, bytes);
}

bool SaveText(const std::string& target, const std::string& name, const std::string& text) {
  return Save(target, name, Bytes(text.begin(), text.end()));
}

// ---- bitmaps: every depth, compression and header the loader reads, 5 x 3 pixels

struct Bmp {
  int width = 5;
  int height = 3;
  bool topDown = false;
  int bpp = 24;
  uint32_t compression = 0;
  uint32_t headerSize = 40;
  int paletteEntries = 0;
  uint32_t masks[3] = {0, 0, 0};
  Bytes rle;  // the coded pixels of a run-length file, or the raw pixels when given
};

Bytes BuildBmp(const Bmp& s) {
  Bytes info;
  const bool core = s.headerSize == 12;
  wav::Put32(info, s.headerSize);
  if (core) {
    wav::Put16(info, s.width);
    wav::Put16(info, s.height);
    wav::Put16(info, 1);
    wav::Put16(info, s.bpp);
  } else {
    wav::Put32(info, s.width);
    wav::Put32(info, static_cast<uint32_t>(s.topDown ? -s.height : s.height));
    wav::Put16(info, 1);
    wav::Put16(info, s.bpp);
    wav::Put32(info, s.compression);
    wav::Put32(info, 0);
    wav::Put32(info, 2835);
    wav::Put32(info, 2835);
    wav::Put32(info, static_cast<uint32_t>(s.paletteEntries));
    wav::Put32(info, 0);
    if (s.compression == 3 || s.headerSize > 40) {
      for (uint32_t m : s.masks)
        wav::Put32(info, m);
    }
    while (info.size() < s.headerSize)
      info.push_back(0);
  }
  for (int i = 0; i < s.paletteEntries; ++i) {
    info.push_back(static_cast<uint8_t>(i * 37));
    info.push_back(static_cast<uint8_t>(i * 91));
    info.push_back(static_cast<uint8_t>(255 - i * 13));
    if (!core) info.push_back(0);
  }
  Bytes pixels = s.rle;
  if (pixels.empty()) {
    const size_t stride = ((static_cast<size_t>(s.width) * s.bpp + 31) / 32) * 4;
    pixels.resize(stride * s.height);
    for (size_t i = 0; i < pixels.size(); ++i)
      pixels[i] = static_cast<uint8_t>(i * 29 + 7);
  }
  Bytes file = {'B', 'M'};
  wav::Put32(file, static_cast<uint32_t>(14 + info.size() + pixels.size()));
  wav::Put32(file, 0);
  wav::Put32(file, static_cast<uint32_t>(14 + info.size()));
  file.insert(file.end(), info.begin(), info.end());
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

bool Bitmaps() {
  bool ok = true;
  Bmp s;
  for (int bpp : {1, 4, 8}) {
    s = Bmp();
    s.bpp = bpp;
    s.paletteEntries = 1 << bpp;
    ok &= Save("bitmap", "palette" + std::to_string(bpp) + ".bmp", BuildBmp(s));
  }
  s = Bmp();
  s.bpp = 8;
  s.paletteEntries = 6;
  s.headerSize = 12;
  ok &= Save("bitmap", "core8.bmp", BuildBmp(s));
  s = Bmp();
  s.bpp = 8;
  s.compression = 1;
  s.paletteEntries = 4;
  s.rle = {3, 1, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 1, 1, 2, 3, 0, 4, 1, 2, 3, 0, 0, 1};
  ok &= Save("bitmap", "rle8.bmp", BuildBmp(s));
  s.compression = 2;
  s.bpp = 4;
  s.rle = {5, 0x12, 0, 0, 0, 3, 0x31, 0x20, 0, 0, 2, 0x33, 0, 1};
  ok &= Save("bitmap", "rle4.bmp", BuildBmp(s));
  for (int bpp : {16, 24, 32}) {
    s = Bmp();
    s.bpp = bpp;
    ok &= Save("bitmap", "rgb" + std::to_string(bpp) + ".bmp", BuildBmp(s));
    s.topDown = true;
    ok &= Save("bitmap", "topdown" + std::to_string(bpp) + ".bmp", BuildBmp(s));
  }
  s = Bmp();
  s.bpp = 16;
  s.compression = 3;
  s.masks[0] = 0xF800;
  s.masks[1] = 0x07E0;
  s.masks[2] = 0x001F;
  ok &= Save("bitmap", "masks565.bmp", BuildBmp(s));
  s.bpp = 32;
  s.masks[0] = 0xFF000000;
  s.masks[1] = 0x00FF0000;
  s.masks[2] = 0x0000FF00;
  s.headerSize = 124;
  ok &= Save("bitmap", "v5masks32.bmp", BuildBmp(s));

  // A font sheet: 94 one-column glyphs, each followed by a column of the transparent blue.
  s = Bmp();
  s.width = 188;
  s.height = 2;
  const size_t stride = ((static_cast<size_t>(s.width) * 24 + 31) / 32) * 4;
  s.rle.assign(stride * s.height, 0);  // taken as the pixels, uncompressed
  for (int y = 0; y < s.height; ++y) {
    for (int x = 1; x < s.width; x += 2)
      s.rle[stride * y + 3 * x] = 255;  // blue, green and red: pure blue
  }
  ok &= Save("bitmap", "fontsheet.bmp", BuildBmp(s));
  return ok;
}

// ---- WAV files: both depths and channel counts, loops, chunk orders, odd chunks

std::vector<int16_t> Tone(int frames, int channels) {
  std::vector<int16_t> v;
  for (int i = 0; i < frames * channels; ++i)
    v.push_back(static_cast<int16_t>(6000 * std::sin(i * 0.2)));
  return v;
}

bool Wavs() {
  bool ok = true;
  const wav::Bytes pcm16 = wav::Pcm16(Tone(300, 2));
  wav::Bytes pcm8;
  for (int i = 0; i < 301; ++i)
    pcm8.push_back(static_cast<uint8_t>(128 + 60 * std::sin(i * 0.3)));
  ok &= Save("wav", "stereo16.wav", wav::Riff({wav::Fmt(2, 22050, 16), wav::Data(pcm16)}));
  ok &= Save("wav", "mono8.wav", wav::Riff({wav::Fmt(1, 11025, 8), wav::Data(pcm8)}));
  ok &= Save("wav", "dataFirst.wav", wav::Riff({wav::Data(pcm16), wav::Fmt(1, 44100, 16)}));
  const wav::Bytes list = wav::Chunk("LIST", wav::Bytes(7, 'x'));
  ok &= Save("wav", "oddList.wav", wav::Riff({wav::Fmt(2, 8000, 8), list, wav::Data(pcm8)}));
  ok &= Save("wav", "loop.wav",
             wav::Riff({wav::Fmt(2, 22050, 16), wav::Smpl({{10, 200, 0}}), wav::Data(pcm16)}));
  ok &= Save("wav", "noLoops.wav",
             wav::Riff({wav::Fmt(1, 22050, 16), wav::Smpl({}), wav::Data(pcm16)}));
  return ok;
}

// ---- MP3 files: a tenth of a second or so at a few rates and channel counts

bool Mp3(const std::string& name, int rate, int channels, int bitrate, double seconds) {
  const int frames = static_cast<int>(rate * seconds);
  std::vector<int16_t> pcm = Tone(frames, 2);
  lame_global_flags* lame = lame_init();
  lame_set_in_samplerate(lame, rate);
  lame_set_out_samplerate(lame, rate);
  lame_set_num_channels(lame, 2);
  lame_set_mode(lame, channels == 1 ? MONO : JOINT_STEREO);
  lame_set_brate(lame, bitrate);
  lame_set_quality(lame, 7);
  if (lame_init_params(lame) < 0) return false;
  Bytes mp3(pcm.size() * 2 + 7200);
  int size = lame_encode_buffer_interleaved(lame, pcm.data(), frames, mp3.data(),
                                            static_cast<int>(mp3.size()));
  if (size >= 0) {
    const int tail =
        lame_encode_flush(lame, mp3.data() + size, static_cast<int>(mp3.size()) - size);
    size = tail < 0 ? -1 : size + tail;
  }
  lame_close(lame);
  if (size < 0) return false;
  mp3.resize(static_cast<size_t>(size));
  return Save("mp3", name, mp3);
}

bool Mp3s() {
  return Mp3("stereo22k.mp3", 22050, 2, 32, 0.3) && Mp3("mono11k.mp3", 11025, 1, 16, 0.4) &&
         Mp3("stereo44k.mp3", 44100, 2, 64, 0.15) && Mp3("mono8k.mp3", 8000, 1, 8, 0.5);
}

// ---- INI files: what to write, a NUL, then the file

bool Inis() {
  const std::string options =
      "[setup]\nplayerid=2\nMusic=Y\nSFX=N\n\n"
      "[Player1]\nname=Player1\naddress=\nemail=\nsend=Y\n\n"
      "[Player3]\nname=Ann Example\naddress=1 Long Road, Town\nemail=ann@example.org\nsend=N\n";
  const std::string setup =
      "[setup]\r\nfullscreen=0\r\nnowindow=1\r\n\r\n"
      "[default]\r\nballoons=5\r\ngametime=180\r\n";
  const std::string odd =
      "; a comment\n[ Setup ]\n  music = \"N\" \nSFX='Y'\n[empty]\nnokey\n"
      "[Player2\nname=Half Header\n[setup]\nmusic=Y";
  // What to write, then a NUL, then the file.
  auto seed = [](const std::string& request, const std::string& file) {
    return request + std::string(1, '\0') + file;
  };
  bool ok = true;
  ok &= SaveText("ini", "options.ini", seed("Player3\nname\nBea\nw\nsetup\nplayerid", options));
  ok &= SaveText("ini", "setup.ini", seed("default\ngametime\n60\nw", setup));
  ok &= SaveText("ini", "odd.ini", seed("setup\nSFX\nN\nd", odd));
  ok &= SaveText("ini", "newSection.ini", seed("Player8\nname\nZed\nw\nPlayer8\nsend", options));
  ok &= SaveText("ini", "dropSection.ini", seed("player1\n\n\ns", options));
  ok &= SaveText("ini", "plain.ini", setup);
  return ok;
}

// ---- high-score tables

bool HighScores() {
  const std::string path = (outFolder / "hiscore").string();
  fs::create_directories(path);
  HighScoreTable table;
  table.Init(kHighScoreEntries);
  bool ok = table.Save((path + "/empty.dat").c_str());
  table.Insert("Ann Example:1 Long Road:ann@example.org:Y", 1200);
  table.Insert("Player2:::Y", 800);
  table.Insert("Bea:::N", 1200);
  ok &= table.Save((path + "/three.dat").c_str());
  for (int i = 0; i < 25; ++i)
    table.Insert(("Player" + std::to_string(i % 8 + 1) + ":::Y").c_str(), 100 * (i % 7) + 5);
  ok &= table.Save((path + "/full.dat").c_str());
  HighScoreTable small;
  small.Init(10);
  small.Insert("Ten:::Y", 10);
  ok &= small.Save((path + "/count10.dat").c_str());
  // The hall of fame reads the same files.
  fs::create_directories(outFolder / "halloffame");
  for (const auto& entry : fs::directory_iterator(path))
    fs::copy_file(entry.path(), outFolder / "halloffame" / entry.path().filename());
  return ok;
}

// ---- command lines: arguments separated by NUL bytes

bool CommandLines() {
  bool ok = SaveText("commandline", "folder", "/home/ann/games/Hubbix");
  ok &= SaveText("commandline", "name", "Zeppolo");
  ok &= SaveText("commandline", "twoWords", std::string("/opt/My Games") + '\0' + "Hubbix");
  ok &= SaveText("commandline", "long", std::string(244, 'a'));
  // The launcher's: the command line, then the game folders beside the launcher.
  ok &= SaveText("folders", "games", "Zeppolo\nZeppolo\nZeppolino\nOther Game\n.hidden\nzeppolo");
  ok &= SaveText("folders", "none", "Nothing\nA\nB");
  ok &= SaveText("folders", "long", "\n" + std::string(59, 'n') + "\n" + std::string(60, 'm'));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  outFolder = argv[1];
  const bool ok = Bitmaps() && Wavs() && Mp3s() && Inis() && HighScores() && CommandLines();
  if (!ok) std::fprintf(stderr, "fuzz_seeds: could not write every seed\n");
  return ok ? 0 : 1;
}
