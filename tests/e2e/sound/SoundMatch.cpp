#include "sound/SoundMatch.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace soundcheck {

namespace {

using Complex = std::complex<double>;

uint32_t Le32(const unsigned char* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }

void Put32(std::vector<unsigned char>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back((unsigned char)(v >> (8 * i)));
}
void Put16(std::vector<unsigned char>& out, uint16_t v) {
  out.push_back((unsigned char)v);
  out.push_back((unsigned char)(v >> 8));
}

std::vector<unsigned char> ReadFile(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) throw std::runtime_error("cannot open " + path);
  std::vector<unsigned char> bytes;
  unsigned char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
    bytes.insert(bytes.end(), buffer, buffer + n);
  std::fclose(f);
  return bytes;
}

// In-place iterative radix-2 transform; `inverse` without the 1/N scaling.
void Fft(std::vector<Complex>& a, bool inverse) {
  const size_t n = a.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  const double pi = std::acos(-1.0);
  for (size_t len = 2; len <= n; len <<= 1) {
    const double angle = 2 * pi / double(len) * (inverse ? 1 : -1);
    const Complex step(std::cos(angle), std::sin(angle));
    for (size_t i = 0; i < n; i += len) {
      Complex w(1);
      for (size_t k = 0; k < len / 2; ++k) {
        const Complex u = a[i + k], v = a[i + k + len / 2] * w;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
        w *= step;
      }
    }
  }
}

size_t PowerOfTwoAtLeast(size_t n) {
  size_t p = 1;
  while (p < n) p <<= 1;
  return p;
}

double Norm(const float* x, size_t n) {
  double sum = 0;
  for (size_t i = 0; i < n; ++i) sum += double(x[i]) * x[i];
  return std::sqrt(sum);
}

}  // namespace

Pcm ReadWave(const std::string& path) {
  const std::vector<unsigned char> b = ReadFile(path);
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) || std::memcmp(b.data() + 8, "WAVE", 4))
    throw std::runtime_error(path + " is not a RIFF/WAVE file");
  Pcm pcm;
  size_t pos = 12;
  while (pos + 8 <= b.size()) {
    const uint32_t size = Le32(&b[pos + 4]);
    const size_t body = pos + 8, end = std::min(b.size(), body + size);
    if (!std::memcmp(&b[pos], "fmt ", 4) && size >= 16) {
      if (Le16(&b[body]) != 1 || Le16(&b[body + 14]) != 16)
        throw std::runtime_error(path + " is not 16-bit PCM");
      pcm.channels = Le16(&b[body + 2]);
      pcm.rate = int(Le32(&b[body + 4]));
    } else if (!std::memcmp(&b[pos], "data", 4)) {
      for (size_t i = body; i + 1 < end; i += 2) pcm.samples.push_back(int16_t(Le16(&b[i])));
    }
    pos = body + size + (size & 1);
  }
  if (pcm.channels <= 0 || pcm.rate <= 0) throw std::runtime_error(path + " has no format chunk");
  return pcm;
}

void WriteWave(const std::string& path, const Pcm& pcm) {
  std::vector<unsigned char> out;
  const uint32_t data = uint32_t(pcm.samples.size() * 2);
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  Put32(out, 36 + data);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  Put32(out, 16);
  Put16(out, 1);
  Put16(out, uint16_t(pcm.channels));
  Put32(out, uint32_t(pcm.rate));
  Put32(out, uint32_t(pcm.rate * pcm.channels * 2));
  Put16(out, uint16_t(pcm.channels * 2));
  Put16(out, 16);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  Put32(out, data);
  for (int16_t s : pcm.samples) Put16(out, uint16_t(s));
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot create " + path);
  const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  if (std::fclose(f) != 0 || !ok) throw std::runtime_error("cannot write " + path);
}

std::vector<float> MonoMix(const Pcm& pcm) {
  std::vector<float> mono(pcm.Frames());
  for (size_t f = 0; f < mono.size(); ++f) {
    int sum = 0;
    for (int c = 0; c < pcm.channels; ++c) sum += pcm.samples[f * size_t(pcm.channels) + size_t(c)];
    mono[f] = float(sum) / float(32768 * pcm.channels);
  }
  return mono;
}

double LevelDb(const std::vector<float>& mono, size_t begin, size_t end) {
  end = std::min(end, mono.size());
  if (begin >= end) return -200;
  const double rms = Norm(mono.data() + begin, end - begin) / std::sqrt(double(end - begin));
  return rms > 1e-10 ? 20 * std::log10(rms) : -200;
}

bool HasUnderrun(const Pcm& recording) {
  const size_t frames = recording.Frames();
  const size_t channels = size_t(recording.channels);
  size_t run = 0;
  bool soundBefore = false;
  for (size_t f = 0; f < frames; ++f) {
    bool zero = true;
    for (size_t c = 0; c < channels; ++c) zero = zero && recording.samples[channels * f + c] == 0;
    if (zero) {
      ++run;
      continue;
    }
    if (soundBefore && run >= size_t(recording.rate / 500) && run <= size_t(recording.rate / 5))
      return true;
    soundBefore = true;
    run = 0;
  }
  return false;
}

Locator::Locator(std::vector<float> reference) : reference_(std::move(reference)) {
  energy_.assign(reference_.size() + 1, 0.0);
  for (size_t i = 0; i < reference_.size(); ++i)
    energy_[i + 1] = energy_[i] + double(reference_[i]) * reference_[i];
}

double Locator::Correlation(const float* window, size_t n, double windowNorm, long offset) const {
  if (offset < 0 || size_t(offset) + n > reference_.size()) return 0;
  const double e = energy_[size_t(offset) + n] - energy_[size_t(offset)];
  if (e <= 0 || windowNorm <= 0) return 0;
  double dot = 0;
  const float* r = reference_.data() + offset;
  for (size_t i = 0; i < n; ++i) dot += double(window[i]) * r[i];
  return dot / (windowNorm * std::sqrt(e));
}

double Locator::CorrelationAt(const float* window, size_t n, long offset) const {
  return Correlation(window, n, Norm(window, n), offset);
}

Match Locator::Find(const float* window, size_t n) const {
  Match best;
  if (n == 0 || n > reference_.size()) return best;
  const size_t size = PowerOfTwoAtLeast(reference_.size() + n);
  std::vector<Complex> r(size), w(size);
  for (size_t i = 0; i < reference_.size(); ++i) r[i] = reference_[i];
  for (size_t i = 0; i < n; ++i) w[i] = window[i];
  Fft(r, false);
  Fft(w, false);
  for (size_t i = 0; i < size; ++i) r[i] *= std::conj(w[i]);
  Fft(r, true);
  const double windowNorm = Norm(window, n);
  if (windowNorm <= 0) return best;
  // The transform finds the candidates; the best few are checked directly.
  for (size_t k = 0; k + n <= reference_.size(); ++k) {
    const double e = energy_[k + n] - energy_[k];
    if (e <= 1e-12) continue;
    const double c = r[k].real() / double(size) / (windowNorm * std::sqrt(e));
    if (c > best.correlation) best = {long(k), c};
  }
  if (best.offset >= 0) best.correlation = Correlation(window, n, windowNorm, best.offset);
  return best;
}

Match Locator::FindNear(const float* window, size_t n, long expected, long radius) const {
  Match best;
  const double windowNorm = Norm(window, n);
  for (long k = std::max(0L, expected - radius); k <= expected + radius; ++k) {
    const double c = Correlation(window, n, windowNorm, k);
    if (c > best.correlation) best = {k, c};
  }
  return best;
}

std::vector<Located> Track(const std::vector<float>& recording, const Locator& locator,
                           size_t window, long radius, double silenceDb) {
  std::vector<Located> out;
  for (size_t start = 0; start + window <= recording.size(); start += window) {
    Located l;
    l.start = start;
    l.silent = LevelDb(recording, start, start + window) < silenceDb;
    if (!l.silent) {
      const float* w = recording.data() + start;
      if (!out.empty() && !out.back().silent && out.back().match.correlation > 0.9)
        l.match = locator.FindNear(w, window, out.back().match.offset + long(window), radius);
      if (l.match.correlation < 0.9) {
        const Match full = locator.Find(w, window);
        if (full.correlation > l.match.correlation) l.match = full;
      }
    }
    out.push_back(l);
  }
  return out;
}

std::vector<Stretch> Stretches(const std::vector<Located>& tracked, long tolerance,
                               double minCorrelation) {
  std::vector<Stretch> runs;
  for (size_t i = 0; i < tracked.size(); ++i) {
    const Located& l = tracked[i];
    if (l.silent || l.match.offset < 0 || l.match.correlation < minCorrelation) continue;
    const long shift = l.match.offset - long(l.start);
    const bool continues = !runs.empty() && runs.back().last + 1 == i &&
                           std::labs(shift - runs.back().offsetShift) <= tolerance;
    if (continues) {
      runs.back().last = i;
      runs.back().worstCorrelation = std::min(runs.back().worstCorrelation, l.match.correlation);
    } else {
      runs.push_back({i, i, shift, l.match.correlation});
    }
  }
  return runs;
}

size_t ExtendRun(const std::vector<float>& recording, const Locator& locator, long shift,
                 size_t from, int direction, size_t block, double minCorrelation) {
  size_t at = from;
  for (;;) {
    if (direction > 0 && at + block > recording.size()) return at;
    if (direction < 0 && at < block) return at;
    const size_t start = direction > 0 ? at : at - block;
    if (LevelDb(recording, start, start + block) < -60 ||
        locator.CorrelationAt(recording.data() + start, block, long(start) + shift) <
            minCorrelation)
      return at;
    at = direction > 0 ? at + block : at - block;
  }
}

double Gain(const Pcm& recording, const Pcm& reference, int channel, size_t begin, size_t end,
            long shift) {
  double cross = 0, power = 0;
  for (size_t f = begin; f < end && f < recording.Frames(); ++f) {
    const long r = long(f) + shift;
    if (r < 0 || size_t(r) >= reference.Frames()) continue;
    const double x = recording.samples[f * size_t(recording.channels) + size_t(channel)];
    const double y = reference.samples[size_t(r) * size_t(reference.channels) + size_t(channel)];
    cross += x * y;
    power += y * y;
  }
  return power > 0 ? cross / power : 0;
}

}  // namespace soundcheck
