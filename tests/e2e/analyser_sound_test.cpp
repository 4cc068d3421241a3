// Tessel as heard and as printed: Play and Play Wdw are recorded from the sound server
// and located in the wave file they played; tones played into the recording source show
// in the rows of their frequencies during Scan Input; a printout on the PDF printer looks
// like the window's bitmap.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "AnalyserSession.h"
#include "analyser/core/Colours.h"
#include "analyser/core/Rows.h"
#include "analyser/core/Settings.h"
#include "analyser/core/ShellState.h"
#include "driver/Recorder.h"
#include "driver/SoundRetry.h"
#include "driver/UiDriver.h"
#include "resources/analyser/resource.h"
#include "sound/SoundMatch.h"

namespace {

using namespace e2e;
using namespace e2e_analyser;
using namespace soundcheck;

constexpr int kRate = Recorder::kRate;
constexpr size_t kWindow = kRate / 4;
constexpr long kEdge = kRate / 100;  // 10 ms
// A new stream loses up to some 60 ms of its start on its way to the sound server here (a
// bare program's one plain buffer too; it varies from stream to stream).
constexpr long kStartLoss = kRate * 60 / 1000;
constexpr int kImageTop = 44;  // the spectral image's first row in the client area
constexpr int kScanRows = 256;

// 8 s of stereo noise in bursts: every 250 ms of it has one place only. It is kept below
// 11 kHz, so that no resampling on the way to the sound server changes it.
Pcm NoiseBursts() {
  constexpr int kTaps = 63;
  const double pi = 3.14159265358979;
  std::vector<double> lowpass(kTaps);
  for (int k = 0; k < kTaps; ++k) {
    const double m = k - (kTaps - 1) / 2.0;
    const double sinc = m == 0 ? 0.5 : std::sin(pi * 0.5 * m) / (pi * m);
    lowpass[size_t(k)] = sinc * (0.54 - 0.46 * std::cos(2 * pi * k / (kTaps - 1)));
  }
  std::mt19937 random(11);
  std::normal_distribution<double> normal(0.0, 8000.0);
  const int frames = kRate * 8;
  std::vector<double> noise(size_t(frames + kTaps) * 2);
  for (double& x : noise) x = normal(random);
  Pcm pcm{kRate, 2, {}};
  for (int i = 0; i < frames; ++i) {
    const double envelope = 0.55 + 0.45 * std::sin(2 * pi * 2.7 * i / kRate);
    for (int c = 0; c < 2; ++c) {
      double v = 0;
      for (int k = 0; k < kTaps; ++k)
        v += lowpass[size_t(k)] * noise[size_t(i + k) * 2 + size_t(c)];
      pcm.samples.push_back(int16_t(std::lround(std::clamp(v * envelope, -30000.0, 30000.0))));
    }
  }
  return pcm;
}

// Samples written to the wave output from this process in one plain buffer.
class PlainSound {
 public:
  PlainSound(std::vector<int16_t> samples, WORD channels) : samples_(std::move(samples)) {
    const WORD align = WORD(2 * channels);
    WAVEFORMATEX f{WAVE_FORMAT_PCM, channels, kRate, DWORD(kRate) * align, align, 16, 0};
    if (waveOutOpen(&out_, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return;
    header_.lpData = reinterpret_cast<LPSTR>(samples_.data());
    header_.dwBufferLength = DWORD(samples_.size() * 2);
    waveOutPrepareHeader(out_, &header_, sizeof header_);
    waveOutWrite(out_, &header_, sizeof header_);
  }
  ~PlainSound() {
    if (!out_) return;
    waveOutReset(out_);
    waveOutUnprepareHeader(out_, &header_, sizeof header_);
    waveOutClose(out_);
  }
  bool Playing() const { return out_ != nullptr; }

 private:
  HWAVEOUT out_ = nullptr;
  WAVEHDR header_{};
  std::vector<int16_t> samples_;
};

// A steady mono sine of `ms`.
std::vector<int16_t> Sine(double hz, int ms) {
  std::vector<int16_t> samples(size_t(kRate) * size_t(ms) / 1000);
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = int16_t(12000 * std::sin(2 * 3.14159265358979 * hz * double(i) / kRate));
  return samples;
}

class AnalyserSound : public AnalyserE2E {
 protected:
  void SetUp() override {
    AnalyserE2E::SetUp();
    ASSERT_TRUE(recorder_.Start()) << "no wave input device to record from";
    latency_ = recorder_.MeasureLatency();
    ASSERT_GT(latency_, 0);
    noise_ = work_ + "\\noise.wav";
    reference_ = NoiseBursts();
    WriteWave(noise_, reference_);
    locator_ = std::make_unique<Locator>(MonoMix(reference_));
  }
  // Analyses the noise file with the start-up parameters.
  HWND AnalyseNoise() {
    HWND w = Start("noise.wav");
    if (w) ConfirmAnalysis(w, L"Analyze File");
    return w;
  }
  // Saves the window bitmap and decodes it.
  Bitmap8 SaveWindowBitmap(HWND w) {
    const std::string bmp = work_ + "\\window_for_print.bmp";
    DeleteFileA(bmp.c_str());
    SendCommand(w, tessel::kCmdWindowBitmap);
    AnswerFileDialog(L"Save Bitmap", bmp);
    HWND magnify = Dialog(L"Bitmap Magnification");
    EXPECT_NE(magnify, nullptr);
    if (magnify) Click(FindChildById(magnify, IDOK));
    Bitmap8 b;
    WaitFor([&] { return DecodeBitmap8(ReadAll(bmp), b); }, 10000);
    return b;
  }
  // Presses a play button and waits for its end; returns when it was pressed.
  double PlayToTheEnd(HWND w, int button) {
    const double pressed = Recorder::Now();
    Click(FindChildById(w, button));
    HWND stop = FindChildById(w, tessel::kCmdStop);
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(stop); }, 5000));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(stop) && !Greyed(w, kAnalyzeFile); }, 30000))
        << "playback did not end";
    return pressed;
  }
  // The song range that the first playback begun after `from` covers: [begin, end) frames.
  // A playback is heard after its press, never before; the end of the one before may still
  // be on its way to the recording when the next button is pressed. The first and last
  // windows of a stretch may hold silence too, so its edges are walked from inside them;
  // `worst` is the worst correlation of the windows between.
  std::pair<long, long> HeardAfter(const std::vector<float>& mono,
                                   const std::vector<Located>& tracked,
                                   const std::vector<Stretch>& stretches, size_t from,
                                   double* worst) {
    for (const Stretch& s : stretches) {
      const size_t b = ExtendRun(mono, *locator_, s.offsetShift, (s.first + 1) * kWindow, -1);
      if (b < from) continue;
      *worst = 1;
      for (size_t i = s.first + 1; i < s.last; ++i)
        *worst = std::min(*worst, tracked[i].match.correlation);
      const size_t e = ExtendRun(mono, *locator_, s.offsetShift, s.last * kWindow, +1);
      return {long(b) + s.offsetShift, long(e) + s.offsetShift};
    }
    return {-1, -1};
  }

  void PlayAndPlayWindow();

  Recorder recorder_;
  double latency_ = 0;
  std::string noise_;
  Pcm reference_;
  std::unique_ptr<Locator> locator_;
};

TEST_F(AnalyserSound, PlayAndPlayWdwPlayExactlyTheSampleAndTheWindow) {
  OnceMoreWhenTheServerRanDry([this] { PlayAndPlayWindow(); },
                              [this] { return recorder_.Recording(); },
                              [this] {
                                if (app_.handle) Kill(app_);
                                recorder_.Stop();
                                return recorder_.Start();
                              });
}

void AnalyserSound::PlayAndPlayWindow() {
  HWND w = AnalyseNoise();
  ASSERT_NE(w, nullptr);
  const Bitmap8 shown = SaveWindowBitmap(w);
  ASSERT_GT(shown.width, 0);
  const double playAt = PlayToTheEnd(w, tessel::kCmdPlay);
  const double windowAt = PlayToTheEnd(w, tessel::kCmdPlayWindow);
  Pause(500);
  CloseAndWait(w);
  const Pcm recording = recorder_.Recording();
  WriteWave(Narrow(ArtifactPath(L"analyser_play_recording.wav")), recording);
  const std::vector<float> mono = MonoMix(recording);
  const auto tracked = Track(mono, *locator_, kWindow, 2 * kEdge);
  const auto stretches = Stretches(tracked, kEdge);

  double worst = 0;
  const auto all = HeardAfter(mono, tracked, stretches, recorder_.FrameAt(playAt), &worst);
  EXPECT_TRUE(all.first >= -kEdge && all.first <= kStartLoss + kEdge)
      << "Play did not start at the beginning: " << all.first;
  EXPECT_NEAR(double(all.second), double(reference_.Frames()), double(kEdge))
      << "Play did not play to the end";
  EXPECT_GE(worst, 0.99);

  // The window: the columns shown, 10 ms each, from the first. The noise is stereo and shows
  // in the dual view: each channel in half the width, 3 columns less.
  const double windowFrames = (shown.width / 2 - 3) * 10.0 * kRate / 1000;
  const auto window = HeardAfter(mono, tracked, stretches, recorder_.FrameAt(windowAt), &worst);
  EXPECT_TRUE(window.first >= -kEdge && window.first <= kStartLoss + kEdge)
      << "Play Wdw did not start at the window: " << window.first;
  EXPECT_NEAR(double(window.second), windowFrames, double(kEdge))
      << "Play Wdw did not stop at the window's end";
  EXPECT_GE(worst, 0.99);
}

// The palette index of each colour of the display, to read levels back from the screen.
std::map<COLORREF, int> IndexOfColour(const tessel::AnalysisSettings& s) {
  const tessel::Palette palette =
      tessel::AnalysisPalette(tessel::ColourTableFor(s.paletteChoice), tessel::PaletteOffset(0));
  std::map<COLORREF, int> index;
  for (int i = 0; i < tessel::kPaletteSize; ++i) {
    const auto& c = palette[size_t(i)];
    index[RGB(c.red, c.green, c.blue)] = std::max(index[RGB(c.red, c.green, c.blue)], i);
  }
  return index;
}

// The image row whose newest columns are brightest (the right quarter of the image), read
// from one picture of the window taken while the tone still plays.
int BrightestRow(HWND w, const std::map<COLORREF, int>& index, int width) {
  const ClientPicture picture = CaptureClient(w);
  int bestRow = -1;
  double best = -1;
  for (int row = 0; row < kScanRows; ++row) {
    double sum = 0;
    for (int x = width * 3 / 4; x < width - 4; x += 3) {
      const auto it = index.find(picture.At(x, kImageTop + row));
      sum += it == index.end() ? 0 : it->second;
    }
    if (sum > best) best = sum, bestRow = row;
  }
  return bestRow;
}

TEST_F(AnalyserSound, ScanInputShowsEachToneInTheRowOfItsFrequency) {
  HWND w = Start("");
  ASSERT_NE(w, nullptr);
  RECT client;
  GetClientRect(w, &client);
  PressKey(w, VK_F4);
  HWND scan = Dialog(L"Scan Input");
  ASSERT_NE(scan, nullptr);
  Click(FindChildById(scan, IDC_RATE22K));
  Click(FindChildById(scan, IDC_FFT1024));
  Click(FindChildById(scan, IDC_OK));
  tessel::AnalysisSettings s = tessel::StartupSettings();
  const auto index = IndexOfColour(s);
  const double binHz = 22050.0 / 1024;
  for (double hz : {1000.0, 3000.0}) {
    PlainSound tone(Sine(hz, 8000), 1);
    ASSERT_TRUE(tone.Playing());
    Pause(7000);  // the whole visible image shows the tone by now
    const int row = BrightestRow(w, index, int(client.right) - 30);
    const int bin = kScanRows - 1 - row;
    std::printf("%.0f Hz shows in row %d (bin %d, expected bin %.1f)\n", hz, row, bin, hz / binHz);
    EXPECT_NEAR(bin, hz / binHz, 1.0) << hz << " Hz";
    Shot(w, hz < 2000 ? L"analyser_scan_input_1khz.bmp" : L"analyser_scan_input_3khz.bmp");
  }
  PressKey(w, VK_ESCAPE);
  EXPECT_TRUE(WaitFor([&] { return !Greyed(w, kScanInput); }, 15000));
  Pause(1200);
  CloseAndWait(w);
}

// A grey image read from a binary PGM file.
struct Grey {
  int width = 0, height = 0;
  std::vector<uint8_t> pixels;
  int At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

bool ReadPgm(const std::string& path, Grey& g) {
  const std::vector<uint8_t> f = ReadAll(path);
  int maxValue = 0, consumed = 0;
  if (std::sscanf(reinterpret_cast<const char*>(f.data()), "P5 %d %d %d%n", &g.width, &g.height,
                  &maxValue, &consumed) != 3 ||
      maxValue != 255)
    return false;
  const size_t start = size_t(consumed) + 1;
  if (f.size() < start + size_t(g.width) * size_t(g.height)) return false;
  g.pixels.assign(f.begin() + long(start), f.begin() + long(start + size_t(g.width * g.height)));
  return true;
}

double Pearson(const std::vector<double>& a, const std::vector<double>& b) {
  double ma = 0, mb = 0;
  for (size_t i = 0; i < a.size(); ++i) ma += a[i], mb += b[i];
  ma /= double(a.size());
  mb /= double(b.size());
  double ab = 0, aa = 0, bb = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    ab += (a[i] - ma) * (b[i] - mb);
    aa += (a[i] - ma) * (a[i] - ma);
    bb += (b[i] - mb) * (b[i] - mb);
  }
  return ab / std::sqrt(aa * bb);
}

TEST_F(AnalyserSound, PrintGivesOnePageThatLooksLikeTheWindowBitmap) {
  const char* pdfDir = std::getenv("VARDEX_PDF_DIR");
  ASSERT_NE(pdfDir, nullptr) << "no PDF printer in this test world";
  const std::string unixPdfs = pdfDir, pdfs = "Z:" + unixPdfs;
  RunUnix("rm -f " + unixPdfs + "/*", 10000);
  HWND w = AnalyseNoise();
  ASSERT_NE(w, nullptr);
  const Bitmap8 shown = SaveWindowBitmap(w);
  ASSERT_GT(shown.width, 0);
  SendCommand(w, tessel::kCmdPrintWindow);
  HWND print = Dialog(L"Print");
  ASSERT_NE(print, nullptr) << "no print dialog";
  Shot(print, L"analyser_print_dialog.bmp");
  Click(FindChildById(print, IDOK));
  // cups-pdf names the file after the document.
  std::string pdf;
  ASSERT_TRUE(WaitFor(
      [&] {
        WIN32_FIND_DATAA found;
        HANDLE h = FindFirstFileA((pdfs + "\\*.pdf").c_str(), &found);
        if (h == INVALID_HANDLE_VALUE) return false;
        FindClose(h);
        pdf = unixPdfs + "/" + found.cFileName;
        return true;
      },
      60000))
      << "no PDF was printed";
  Pause(2000);  // cups-pdf writes it in one go; let it finish
  CloseAndWait(w);
  std::printf("printed: %s\n", pdf.c_str());
  EXPECT_TRUE(RunUnix("cd " + unixPdfs + " && cp '" + pdf + "' printed.pdf && cp printed.pdf '" +
                          UnixPath(ArtifactPath(L"analyser_print.pdf")) +
                          "' && pdfinfo printed.pdf > info.txt 2>&1; " +
                          "sed -n 's/^Pages: *//p' info.txt > pages.txt; pdftoppm -r 100 -gray "
                          "-singlefile printed.pdf page; " +
                          "ls -la > '" + UnixPath(ArtifactPath(L"analyser_print_files.txt")) + "'",
                      60000));
  const std::vector<uint8_t> pages = ReadAll(pdfs + "\\pages.txt");
  EXPECT_EQ(std::string(pages.begin(), pages.end()), "1\n") << "not one page";
  Grey page;
  ASSERT_TRUE(ReadPgm(pdfs + "\\page.pgm", page)) << "pdftoppm gave no page image";

  // The printed image: the page's non-white box, sampled at the bitmap's pixels.
  int left = page.width, right = -1, top = page.height, bottom = -1;
  for (int y = 0; y < page.height; ++y)
    for (int x = 0; x < page.width; ++x)
      if (page.At(x, y) < 245) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
  ASSERT_GT(right, left) << "the page is blank";
  std::vector<double> printed, window;
  for (int y = 0; y < shown.height; ++y)
    for (int x = 0; x < shown.width; ++x) {
      const int px = left + int((x + 0.5) * (right - left + 1) / shown.width);
      const int py = top + int((y + 0.5) * (bottom - top + 1) / shown.height);
      printed.push_back(page.At(px, py));
      const uint8_t i = shown.rows[size_t(y)][size_t(x)];
      const uint8_t* c = &shown.colours[size_t(i) * 4];  // blue, green, red, 0
      window.push_back(0.114 * c[0] + 0.587 * c[1] + 0.299 * c[2]);
    }
  const double correlation = Pearson(printed, window);
  std::printf("printed image %dx%d pixels at 100 dpi, correlation with the window bitmap %.4f\n",
              right - left + 1, bottom - top + 1, correlation);
  EXPECT_GE(correlation, 0.95);
}

}  // namespace
