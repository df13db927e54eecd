#include "sample/pc_title/sound_kit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pc_title {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kTableMask = Instrument::kTableSize - 1;
// Harmonics stop below this, well inside the band of a 22,050 Hz sound.
constexpr double kTopHertz = 9500;

const std::vector<float>& SineTable() {
    static const std::vector<float> table = [] {
        std::vector<float> t(Instrument::kTableSize);
        for (int i = 0; i < Instrument::kTableSize; ++i)
            t[i] = static_cast<float>(std::sin(2 * kPi * i / Instrument::kTableSize));
        return t;
    }();
    return table;
}

inline double Lookup(const std::vector<float>& table, double phase) {
    auto index = static_cast<int>(phase);
    double fraction = phase - index;
    double a = table[index & kTableMask];
    double b = table[(index + 1) & kTableMask];
    return a + (b - a) * fraction;
}

}  // namespace

Instrument::Instrument(std::vector<double> harmonics, double attack_, double decay_,
                       double sustain_, double release_, double vibrato_)
    : attack(attack_), decay(decay_), sustain(sustain_), release(release_), vibrato(vibrato_) {
    for (size_t count = 1; count <= harmonics.size(); ++count) {
        std::vector<float> table(kTableSize);
        double peak = 0;
        std::vector<double> values(kTableSize, 0.0);
        for (int i = 0; i < kTableSize; ++i) {
            for (size_t k = 0; k < count; ++k)
                values[i] += harmonics[k] * std::sin(2 * kPi * (k + 1) * i / kTableSize);
            peak = std::max(peak, std::abs(values[i]));
        }
        for (int i = 0; i < kTableSize; ++i)
            table[i] = static_cast<float>(peak > 0 ? values[i] / peak : 0);
        tables.push_back(std::move(table));
    }
}

SoundMix::SoundMix(double seconds, int channels, bool wrap)
    : frames_(static_cast<size_t>(std::lround(seconds * kKitRate))),
      channels_(channels),
      wrap_(wrap),
      data_(frames_ * channels, 0.0) {}

size_t SoundMix::Wrap(size_t frame) const {
    if (frame < frames_) return frame;
    return wrap_ && frames_ > 0 ? frame % frames_ : frames_;
}

void SoundMix::Add(size_t frame, double value, double pan) {
    frame = Wrap(frame);
    if (frame >= frames_) return;
    if (channels_ == 1) {
        data_[frame] += value;
    } else {
        data_[frame * 2] += value * std::cos(pan * kPi / 2) * std::numbers::sqrt2;
        data_[frame * 2 + 1] += value * std::sin(pan * kPi / 2) * std::numbers::sqrt2;
    }
}

void SoundMix::Note(const Instrument& instrument, double start, double length, double midi,
                    double level, double pan) {
    const double hertz = NoteHertz(midi);
    const int usable = std::clamp(static_cast<int>(kTopHertz / hertz), 1,
                                  static_cast<int>(instrument.tables.size()));
    const std::vector<float>& table = instrument.tables[usable - 1];
    const std::vector<float>& sine = SineTable();
    const auto first = static_cast<size_t>(std::lround(start * kKitRate));
    const auto held = static_cast<size_t>(length * kKitRate);
    const auto releaseFrames =
        std::max<size_t>(1, static_cast<size_t>(instrument.release * kKitRate));
    const auto attackFrames =
        std::max<size_t>(1, static_cast<size_t>(instrument.attack * kKitRate));
    const double step = hertz * Instrument::kTableSize / kKitRate;
    const double fall = std::exp(-instrument.decay / kKitRate);
    const double vibratoStep = 5.5 * Instrument::kTableSize / kKitRate;
    const double depth = (std::pow(2.0, instrument.vibrato / 12.0) - 1.0);
    const double left = channels_ == 1 ? 1.0 : std::cos(pan * kPi / 2) * std::numbers::sqrt2;
    const double right = std::sin(pan * kPi / 2) * std::numbers::sqrt2;
    double phase = 0;
    double vibratoPhase = 0;
    double decayed = 1.0;
    for (size_t i = 0; i < held + releaseFrames; ++i) {
        size_t frame = first + i;
        if (frame >= frames_) {
            if (!wrap_) break;
            frame %= frames_;
        }
        double envelope;
        if (i < attackFrames) {
            envelope = static_cast<double>(i) / attackFrames;
        } else {
            envelope = instrument.sustain + (1 - instrument.sustain) * decayed;
            decayed *= fall;
        }
        if (i >= held) envelope *= 1.0 - static_cast<double>(i - held) / releaseFrames;
        double value = Lookup(table, phase) * envelope * level * 32767.0;
        if (depth > 0) {
            // The vibrato sets in after a fifth of a second.
            double amount = std::min(1.0, i / (0.2 * kKitRate)) * depth;
            phase += step * (1.0 + amount * Lookup(sine, vibratoPhase));
            vibratoPhase += vibratoStep;
        } else {
            phase += step;
        }
        if (phase >= Instrument::kTableSize) phase -= Instrument::kTableSize;
        if (channels_ == 1) {
            data_[frame] += value;
        } else {
            data_[frame * 2] += value * left;
            data_[frame * 2 + 1] += value * right;
        }
    }
}

std::vector<int16_t> SoundMix::Take(double peak) const {
    double loudest = 1.0;
    for (double v : data_) loudest = std::max(loudest, std::abs(v));
    const double scale = peak * 32767.0 / loudest;
    std::vector<int16_t> samples(data_.size());
    for (size_t i = 0; i < data_.size(); ++i)
        samples[i] =
            static_cast<int16_t>(std::clamp(std::lround(data_[i] * scale), -32767L, 32767L));
    return samples;
}

double NoteHertz(double midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

double Noise::Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<double>(state_ >> 8) / (1u << 23) - 1.0;
}

double Resonator::Step(double input, double hertz, double bandwidth) {
    const double r = std::exp(-kPi * bandwidth / kKitRate);
    const double a1 = 2 * r * std::cos(2 * kPi * hertz / kKitRate);
    const double a2 = -r * r;
    const double y = (1 - r) * input + a1 * y1_ + a2 * y2_;
    y2_ = y1_;
    y1_ = y;
    return y;
}

// --- Timbres

const Instrument& PianoTone() {
    static const Instrument tone({1, 0.55, 0.3, 0.16, 0.1, 0.05}, 0.006, 2.6, 0.0, 0.08);
    return tone;
}
const Instrument& FluteTone() {
    static const Instrument tone({1, 0.18, 0.06, 0.02}, 0.06, 0.6, 0.75, 0.12, 0.18);
    return tone;
}
const Instrument& StringsTone() {
    static const Instrument tone({1, 0.5, 0.33, 0.25, 0.18, 0.12, 0.08}, 0.25, 0.3, 0.8, 0.4, 0.1);
    return tone;
}
const Instrument& BassTone() {
    static const Instrument tone({1, 0.6, 0.3, 0.12}, 0.01, 1.6, 0.35, 0.07);
    return tone;
}
const Instrument& PluckTone() {
    static const Instrument tone({1, 0.7, 0.45, 0.25, 0.14, 0.07}, 0.004, 4.5, 0.0, 0.05);
    return tone;
}
const Instrument& BellTone() {
    static const Instrument tone({1, 0.1, 0.35, 0.05, 0.2, 0.0, 0.08}, 0.003, 2.0, 0.0, 0.3);
    return tone;
}
const Instrument& OrganTone() {
    static const Instrument tone({1, 0.8, 0.55, 0.3, 0.12, 0.25}, 0.02, 0.4, 0.7, 0.06);
    return tone;
}
const Instrument& ClarinetTone() {
    static const Instrument tone({1, 0.05, 0.55, 0.04, 0.3, 0.03, 0.15}, 0.04, 0.5, 0.7, 0.1, 0.12);
    return tone;
}

// --- Pieces

namespace {

constexpr int kMajor[7] = {0, 2, 4, 5, 7, 9, 11};
constexpr int kMinor[7] = {0, 2, 3, 5, 7, 8, 10};

class Dice {
public:
    explicit Dice(uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
    uint32_t Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    int Below(int limit) { return static_cast<int>(Next() % static_cast<uint32_t>(limit)); }
    double Unit() { return (Next() & 0xFFFF) / 65536.0; }

private:
    uint32_t state_;
};

int FloorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The MIDI note of a scale degree (any integer; 7 is the tonic an octave up).
// Minor keys raise their seventh over the dominant chord.
int DegreeMidi(const Piece& piece, int degree, int chordRoot) {
    int octave = FloorDiv(degree, 7);
    int within = degree - octave * 7;
    int semitone = piece.minor ? kMinor[within] : kMajor[within];
    if (piece.minor && within == 6 && chordRoot == 4) semitone = 11;
    return piece.tonic + 12 * octave + semitone;
}

bool IsChordTone(int degree, int root) {
    int d = ((degree - root) % 7 + 7) % 7;
    return d == 0 || d == 2 || d == 4;
}

int NearestChordTone(int degree, int root, int preferDirection) {
    for (int distance = 0; distance < 4; ++distance) {
        int first = degree + (preferDirection >= 0 ? distance : -distance);
        int second = degree - (preferDirection >= 0 ? distance : -distance);
        if (IsChordTone(first, root)) return first;
        if (IsChordTone(second, root)) return second;
    }
    return degree;
}

// Rhythm cells in eighths; the first few are plain, the later ones busier.
const std::vector<std::vector<int>>& Cells(int beatsPerBar) {
    static const std::vector<std::vector<int>> fourFour = {
        {2, 2, 2, 2},    {3, 1, 2, 2},    {2, 2, 4},          {4, 2, 2},
        {2, 1, 1, 2, 2}, {1, 1, 2, 2, 2}, {2, 1, 1, 1, 1, 2}, {3, 1, 3, 1}};
    static const std::vector<std::vector<int>> threeFour = {
        {2, 2, 2}, {4, 2}, {3, 1, 2}, {2, 1, 1, 2}, {1, 1, 2, 2}, {2, 1, 1, 1, 1}};
    return beatsPerBar == 3 ? threeFour : fourFour;
}

std::vector<int> PickCell(Dice& dice, int beatsPerBar, double busy) {
    const auto& cells = Cells(beatsPerBar);
    int plain = beatsPerBar == 3 ? 3 : 4;
    bool busier = dice.Unit() < busy;
    int index =
        busier ? plain + dice.Below(static_cast<int>(cells.size()) - plain) : dice.Below(plain);
    return cells[index];
}

struct Motif {
    std::vector<int> cell;
    std::vector<int> steps;
};

Motif MakeMotif(Dice& dice, int beatsPerBar, double busy) {
    Motif motif;
    motif.cell = PickCell(dice, beatsPerBar, busy);
    static constexpr int kSteps[] = {-2, -1, -1, 0, 1, 1, 1, 2, 2, -3, 3, -1};
    for (size_t i = 0; i < motif.cell.size(); ++i) motif.steps.push_back(kSteps[dice.Below(12)]);
    return motif;
}

void Kick(SoundMix& mix, double start, double level) {
    const auto first = static_cast<size_t>(std::lround(start * kKitRate));
    double phase = 0;
    for (size_t i = 0; i < static_cast<size_t>(0.18 * kKitRate); ++i) {
        double t = i / kKitRate;
        double hertz = 45 + 80 * std::exp(-t * 30);
        phase += 2 * kPi * hertz / kKitRate;
        mix.Add(first + i, std::sin(phase) * std::exp(-t * 18) * level * 32767.0);
    }
}

void Hat(SoundMix& mix, Noise& noise, double start, double level, double pan) {
    const auto first = static_cast<size_t>(std::lround(start * kKitRate));
    // A short tick of noise around 5 kHz: bright, without the band's very
    // top, which the sample codings follow least well.
    Resonator band;
    for (size_t i = 0; i < static_cast<size_t>(0.05 * kKitRate); ++i) {
        double t = i / kKitRate;
        double value = 2.5 * band.Step(noise.Next(), 5000, 2500);
        mix.Add(first + i, value * std::exp(-t * 70) * level * 32767.0, pan);
    }
}

void Snare(SoundMix& mix, Noise& noise, double start, double level) {
    const auto first = static_cast<size_t>(std::lround(start * kKitRate));
    Resonator band;
    double phase = 0;
    for (size_t i = 0; i < static_cast<size_t>(0.16 * kKitRate); ++i) {
        double t = i / kKitRate;
        phase += 2 * kPi * 190 / kKitRate;
        double value = 3.0 * band.Step(noise.Next(), 2200, 1800) + 0.5 * std::sin(phase);
        mix.Add(first + i, value * std::exp(-t * 22) * level * 32767.0, 0.45);
    }
}

}  // namespace

double PieceSeconds(const Piece& piece) {
    return piece.chords.size() * piece.passes * piece.beatsPerBar * 60.0 / piece.bpm;
}

std::vector<int16_t> RenderPiece(const Piece& piece, int channels) {
    const double beat = 60.0 / piece.bpm;
    const double eighth = beat / 2;
    const double barLength = beat * piece.beatsPerBar;
    const int bars = static_cast<int>(piece.chords.size());
    const double length = PieceSeconds(piece);
    SoundMix mix(piece.loop ? length : length + 3.0, channels, piece.loop);
    Dice dice(piece.seed);
    Noise noise(piece.seed + 7);

    const Motif a = MakeMotif(dice, piece.beatsPerBar, piece.busy);
    const Motif b = MakeMotif(dice, piece.beatsPerBar, piece.busy);
    const std::vector<int> cadence =
        piece.beatsPerBar == 3 ? std::vector<int>{2, 4} : std::vector<int>{2, 2, 4};
    const int strongEvery = piece.beatsPerBar == 3 ? 6 : 4;

    for (int pass = 0; pass < piece.passes; ++pass) {
        const Instrument& lead =
            piece.leads.empty() ? PianoTone() : *piece.leads[pass % piece.leads.size()];
        // Each second pass starts a third higher, for a change of line.
        int degree = pass % 2 == 0 ? 2 : 4;
        const bool lastPass = pass + 1 == piece.passes;
        for (int bar = 0; bar < bars; ++bar) {
            const int root = piece.chords[bar];
            const double barStart = (pass * bars + bar) * barLength;
            const bool final = bar + 1 == bars;
            const bool halfway = !final && bar % 4 == 3;

            // The melody.
            std::vector<int> cell;
            std::vector<int> steps;
            if (final) {
                cell = lastPass || piece.loop ? std::vector<int>{piece.beatsPerBar * 2} : cadence;
            } else if (halfway) {
                cell = cadence;
            } else {
                const Motif& motif = bar % 2 == 0 ? a : b;
                cell = motif.cell;
                steps = motif.steps;
            }
            int position = 0;
            for (size_t i = 0; i < cell.size(); ++i) {
                int step = i < steps.size() ? steps[i] : (dice.Below(3) - 1);
                if (degree > 6) step = -std::abs(step);
                if (degree < 0) step = std::abs(step);
                degree += step;
                const bool last = i + 1 == cell.size();
                if (final && last) {
                    degree = degree >= 4 ? 7 : 0;
                } else if (position % strongEvery == 0 || (halfway && last)) {
                    degree = NearestChordTone(degree, root, step);
                }
                const double start = barStart + position * eighth;
                const double held = cell[i] * eighth * (cell[i] >= 4 ? 0.96 : 0.85);
                const double accent = position % strongEvery == 0 ? 1.0 : 0.85;
                mix.Note(lead, start, held, DegreeMidi(piece, degree, root),
                         piece.leadLevel * accent, 0.58);
                position += cell[i];
            }

            // The chords, a little below the melody.
            int tones[4];
            for (int k = 0; k < 3; ++k) {
                int midi = DegreeMidi(piece, root + 2 * k, root) - 12;
                while (midi > piece.tonic - 5) midi -= 12;
                while (midi < piece.tonic - 17) midi += 12;
                tones[k] = midi;
            }
            std::sort(tones, tones + 3);
            tones[3] = tones[0] + 12;
            const Instrument& chord =
                piece.chordInstrument ? *piece.chordInstrument : StringsTone();
            switch (piece.chordStyle) {
                case ChordStyle::kHeld:
                    for (int k = 0; k < 3; ++k)
                        mix.Note(chord, barStart, barLength * 0.97, tones[k], 0.075, 0.3 + 0.2 * k);
                    break;
                case ChordStyle::kArpeggio: {
                    static constexpr int kOrder[] = {0, 1, 2, 3, 2, 1};
                    for (int e = 0; e < piece.beatsPerBar * 2; ++e) {
                        int tone = tones[kOrder[e % 6]];
                        mix.Note(chord, barStart + e * eighth, eighth * 1.8, tone, 0.10,
                                 0.25 + 0.15 * (e % 4));
                    }
                    break;
                }
                case ChordStyle::kStabs:
                    for (int beatIndex = 1; beatIndex < piece.beatsPerBar; ++beatIndex) {
                        if (piece.beatsPerBar == 4 && beatIndex == 2) continue;
                        for (int k = 0; k < 3; ++k)
                            mix.Note(chord, barStart + beatIndex * beat, beat * 0.45, tones[k],
                                     0.07, 0.35 + 0.15 * k);
                    }
                    break;
            }

            // The bass, around two octaves below the melody's home.
            auto bassOf = [&](int chordRoot) {
                int midi = DegreeMidi(piece, chordRoot, chordRoot) - 36;
                while (midi > piece.tonic - 30) midi -= 12;
                return midi;
            };
            const int bassRoot = bassOf(root);
            auto above = [&](int steps) {
                return bassRoot + DegreeMidi(piece, root + steps, root) -
                       DegreeMidi(piece, root, root);
            };
            const Instrument& bass = piece.bass ? *piece.bass : BassTone();
            switch (piece.bassStyle) {
                case BassStyle::kWhole:
                    mix.Note(bass, barStart, barLength * 0.95, bassRoot, 0.22, 0.5);
                    break;
                case BassStyle::kRootFifth:
                    if (piece.beatsPerBar == 4) {
                        mix.Note(bass, barStart, beat * 1.8, bassRoot, 0.24, 0.5);
                        mix.Note(bass, barStart + 2 * beat, beat * 1.8, above(4), 0.2, 0.5);
                    } else {
                        mix.Note(bass, barStart, beat * 0.9, bassRoot, 0.24, 0.5);
                    }
                    break;
                case BassStyle::kWalk: {
                    // Root, third, fifth, then a half step below the next root.
                    const int next = bassOf(piece.chords[(bar + 1) % bars]);
                    const int walk[4] = {bassRoot, above(2), above(4), next - 1};
                    for (int k = 0; k < piece.beatsPerBar; ++k)
                        mix.Note(bass, barStart + k * beat, beat * 0.85,
                                 k + 1 == piece.beatsPerBar ? walk[3] : walk[k], 0.2, 0.5);
                    break;
                }
                case BassStyle::kPulse:
                    for (int e = 0; e < piece.beatsPerBar * 2; ++e)
                        mix.Note(bass, barStart + e * eighth, eighth * 0.7, bassRoot,
                                 e % 2 == 0 ? 0.2 : 0.15, 0.5);
                    break;
            }

            // The beat.
            switch (piece.beat) {
                case BeatStyle::kNone:
                    break;
                case BeatStyle::kLight:
                    Kick(mix, barStart, 0.25);
                    for (int e = 0; e < piece.beatsPerBar * 2; ++e)
                        Hat(mix, noise, barStart + e * eighth, e % 2 == 0 ? 0.06 : 0.035, 0.7);
                    break;
                case BeatStyle::kDance:
                    for (int k = 0; k < piece.beatsPerBar; ++k) {
                        if (k % 2 == 0)
                            Kick(mix, barStart + k * beat, 0.3);
                        else
                            Snare(mix, noise, barStart + k * beat, 0.12);
                    }
                    for (int e = 0; e < piece.beatsPerBar * 2; ++e)
                        Hat(mix, noise, barStart + e * eighth, e % 2 == 0 ? 0.07 : 0.04, 0.7);
                    break;
                case BeatStyle::kHeart:
                    Kick(mix, barStart, 0.3);
                    Kick(mix, barStart + beat * 0.4, 0.2);
                    break;
            }
        }
    }
    return mix.Take(0.78);
}

// --- Spoken lines

std::vector<int16_t> SpokenLine(double pitch, int syllables, bool question, uint32_t seed) {
    struct Vowel {
        double first;
        double second;
    };
    static constexpr Vowel kVowels[] = {
        {780, 1250}, {330, 2250}, {370, 1350}, {520, 1900}, {520, 920}};
    enum class Onset { kNone, kStop, kHiss, kNasal };
    struct Syllable {
        double start;
        double length;
        Vowel vowel;
        Onset onset;
        double accent;  // the syllable's pitch, high or low, against the line's
    };
    Dice dice(seed);
    std::vector<Syllable> line;
    double at = 0.06;
    const int pauseAfter = syllables >= 5 ? 1 + dice.Below(syllables - 3) : -1;
    for (int i = 0; i < syllables; ++i) {
        Syllable s;
        s.start = at;
        s.length = 0.12 + 0.07 * dice.Unit() + (i + 1 == syllables ? 0.08 : 0.0);
        s.vowel = kVowels[dice.Below(5)];
        int onset = dice.Below(5);
        s.onset = onset == 0   ? Onset::kNone
                  : onset <= 2 ? Onset::kStop
                  : onset == 3 ? Onset::kHiss
                               : Onset::kNasal;
        s.accent = dice.Below(3) == 0 ? 1.0 : 1.09;
        line.push_back(s);
        at += s.length + (i == pauseAfter ? 0.14 : 0.0);
    }
    const double duration = at + 0.12;
    SoundMix mix(duration, 1, false);
    Noise noise(seed ^ 0x5bd1e995u);
    Resonator f1;
    Resonator f2;
    Resonator f3;
    Resonator hiss;
    double glottal = 0;
    double smooth = 0;
    Vowel now = line.front().vowel;
    double accent = line.front().accent;
    size_t index = 0;
    const double glide = 1.0 - std::exp(-1.0 / (0.025 * kKitRate));
    for (size_t frame = 0; frame < mix.Frames(); ++frame) {
        const double t = frame / kKitRate;
        while (index + 1 < line.size() && t >= line[index + 1].start) ++index;
        const Syllable& s = line[index];
        const double within = t - s.start;
        // Loudness of the voiced part: rises, holds, falls within the syllable.
        double voiced = 0;
        if (within >= 0 && within < s.length) {
            voiced = std::min({1.0, within / 0.03, (s.length - within) / 0.05});
            if (s.onset == Onset::kHiss || s.onset == Onset::kStop)
                voiced *= std::clamp((within - 0.035) / 0.02, 0.0, 1.0);
        }
        const double progress = t / duration;
        // The syllables' high and low pitches glide into each other.
        accent += glide * (s.accent - accent);
        double f0 =
            pitch * accent * (1.0 + 0.12 * std::sin(kPi * progress * 1.2) - 0.15 * progress);
        if (question && index + 1 == line.size())
            f0 *= 1.0 + 0.4 * std::clamp(within / s.length, 0.0, 1.0);
        glottal += f0 / kKitRate;
        if (glottal >= 1) glottal -= 1;
        // A falling ramp, rounded off: most of its energy low down.
        smooth += 0.3 * ((1.0 - 2.0 * glottal) - smooth);
        Vowel target = s.vowel;
        if (s.onset == Onset::kNasal && within < 0.05) target = {260, 1100};
        now.first += glide * (target.first - now.first);
        now.second += glide * (target.second - now.second);
        // A little breath in the voice.
        const double source = (smooth + 0.06 * noise.Next()) * voiced;
        // The source falls off steeply with frequency, so the upper
        // resonances are lifted to keep the vowels apart.
        double value = 1.0 * f1.Step(source, now.first, 90) +
                       1.4 * f2.Step(source, now.second, 120) + 0.8 * f3.Step(source, 2700, 220);
        if (within >= 0 && within < 0.05) {
            if (s.onset == Onset::kStop && within < 0.018)
                value += 0.6 * hiss.Step(noise.Next(), 3000, 1500) * (1 - within / 0.018);
            if (s.onset == Onset::kHiss && within < 0.045)
                value +=
                    0.35 * hiss.Step(noise.Next(), 4200, 1600) * std::sin(kPi * within / 0.045);
        }
        mix.Add(frame, value);
    }
    return mix.Take(0.6);
}

}  // namespace pc_title
