#pragma once
// The composing kit of the sample title's sounds: instruments of a few
// harmonics and an envelope played from wavetables, a mix that can wrap round
// (so the last notes of a looping piece ring on into its start), a small
// piece renderer (melody, chords, bass and a light beat over a chord
// progression), filtered noise, and a voiced buzz shaped by vowel resonances
// for the spoken lines. Everything is computed, the same samples every run.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pc_title {

inline constexpr double kKitRate = 22050;

class Instrument {
public:
    // `harmonics` are the amplitudes of harmonics 1, 2, ...; the envelope
    // rises over `attack` seconds, then falls by `decay` per second towards
    // `sustain` (a fraction of the peak), and fades over `release` seconds
    // once the note is let go; `vibrato` is a depth in semitones.
    Instrument(std::vector<double> harmonics, double attack, double decay, double sustain,
               double release, double vibrato = 0);

    double attack;
    double decay;
    double sustain;
    double release;
    double vibrato;
    // One cycle per usable harmonic count, so high notes drop the harmonics
    // that would fold back below the band's top.
    static constexpr int kTableSize = 2048;
    std::vector<std::vector<float>> tables;
};

class SoundMix {
public:
    // `wrap`: whatever rings past the end is added at the start instead, for
    // pieces that loop.
    SoundMix(double seconds, int channels, bool wrap);

    size_t Frames() const { return frames_; }
    int Channels() const { return channels_; }

    // A note of MIDI pitch `midi` (fractions allowed) from `start`, held for
    // `length` seconds; `level` is a fraction of full scale, `pan` runs from
    // 0 (left) to 1 (right).
    void Note(const Instrument& instrument, double start, double length, double midi, double level,
              double pan = 0.5);
    void Add(size_t frame, double value, double pan = 0.5);
    // Scales the whole mix so its loudest sample reaches `peak` of full scale.
    std::vector<int16_t> Take(double peak = 0.8) const;

private:
    size_t Wrap(size_t frame) const;

    size_t frames_;
    int channels_;
    bool wrap_;
    std::vector<double> data_;
};

double NoteHertz(double midi);

// White noise in -1..1, the same sequence for the same seed.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed) {}
    double Next();

private:
    uint32_t state_;
};

// A two-pole resonance (band-pass) whose centre can move sample by sample.
class Resonator {
public:
    double Step(double input, double hertz, double bandwidth);

private:
    double y1_ = 0;
    double y2_ = 0;
};

// The piece renderer. A piece runs through its chord progression `passes`
// times, a bar per chord: a melody built from two rhythm motifs, its strong
// beats on chord tones, a half close every fourth bar and the home note at
// the end; the chords held, broken into eighths or struck off the beat; the
// bass; and a beat if any.
enum class ChordStyle { kHeld, kArpeggio, kStabs };
enum class BassStyle { kWhole, kRootFifth, kWalk, kPulse };
enum class BeatStyle { kNone, kLight, kDance, kHeart };

struct Piece {
    double bpm = 100;
    int beatsPerBar = 4;
    int tonic = 72;  // the melody's home note
    bool minor = false;
    std::vector<int> chords;  // per bar, the scale degree (0..6) of the chord's root
    int passes = 2;           // times through the progression; the melody varies
    uint32_t seed = 1;
    std::vector<const Instrument*> leads;  // one per pass, in turn
    const Instrument* chordInstrument = nullptr;
    const Instrument* bass = nullptr;
    ChordStyle chordStyle = ChordStyle::kHeld;
    BassStyle bassStyle = BassStyle::kWhole;
    BeatStyle beat = BeatStyle::kNone;
    double busy = 0.4;        // how often the melody splits a beat in two
    bool loop = true;         // rings on into the start; otherwise a tail is added
    double leadLevel = 0.30;  // the melody's loudness against the chords' 0.07 to 0.1
};

// The length of the passes; a piece that does not loop is rendered three
// seconds longer, for its last notes to ring out.
double PieceSeconds(const Piece& piece);
// Interleaved samples when `channels` is 2, the loudest at 78 % of full scale.
std::vector<int16_t> RenderPiece(const Piece& piece, int channels);

// The timbres the pieces share.
const Instrument& PianoTone();
const Instrument& FluteTone();
const Instrument& StringsTone();
const Instrument& BassTone();
const Instrument& PluckTone();
const Instrument& BellTone();
const Instrument& OrganTone();
const Instrument& ClarinetTone();

// A short spoken-like line: `syllables` syllables (a pause after some) on a
// voice of base pitch `pitch` hertz, rising at the end for a question; the
// vowels and consonants come from `seed`.
std::vector<int16_t> SpokenLine(double pitch, int syllables, bool question, uint32_t seed);

}  // namespace pc_title
