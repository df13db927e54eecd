// The sample title's music, effects and voices, composed with the sound kit.
// Stories name them directly: bgm01..bgm12 and se01..se10 in both folders,
// the screens' fixed tracks by number, and the spoken lines vo0001..vo0030
// (first folder) and vo1001..vo1030, vo2001..vo2030 (second folder), each
// group of ten lines in one speaker's pitch. Between them they use every
// coding, in mono and in stereo.

#include <array>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <utility>

#include "sample/pc_title/install_tree.h"
#include "sample/pc_title/sound_kit.h"

namespace pc_title {

namespace {

static_assert(kKitRate == kSampleSoundRate, "the kit composes at the title's sound rate");

constexpr double kPi = std::numbers::pi;
using Samples = std::vector<int16_t>;

struct Track {
    const char* path;
    Piece piece;
    PcmCoding coding;
    uint16_t channels;
    InstallFolder folder;
};

Piece Make(double bpm, int beatsPerBar, int tonic, bool minor, std::vector<int> chords, int passes,
           uint32_t seed, std::vector<const Instrument*> leads, const Instrument* chords_,
           ChordStyle chordStyle, BassStyle bassStyle, BeatStyle beat, double busy) {
    Piece p;
    p.bpm = bpm;
    p.beatsPerBar = beatsPerBar;
    p.tonic = tonic;
    p.minor = minor;
    p.chords = std::move(chords);
    p.passes = passes;
    p.seed = seed;
    p.leads = std::move(leads);
    p.chordInstrument = chords_;
    p.chordStyle = chordStyle;
    p.bassStyle = bassStyle;
    p.beat = beat;
    p.busy = busy;
    return p;
}

// bgm01..bgm12 and the screens' seven.
constexpr size_t kTrackCount = 19;

const std::vector<Track>& Tracks() {
    static const std::vector<Track> tracks = [] {
        const Instrument* piano = &PianoTone();
        const Instrument* flute = &FluteTone();
        const Instrument* strings = &StringsTone();
        const Instrument* pluck = &PluckTone();
        const Instrument* bell = &BellTone();
        const Instrument* organ = &OrganTone();
        const Instrument* clarinet = &ClarinetTone();
        using C = ChordStyle;
        using B = BassStyle;
        using D = BeatStyle;
        constexpr auto kBoth = InstallFolder::kBoth;
        constexpr auto kFirst = InstallFolder::kFirst;
        std::vector<Track> all = {
            // A bright everyday theme.
            {"GameData/bgm/bgm01.pcm",
             Make(112, 4, 72, false, {0, 4, 5, 3, 0, 3, 4, 0}, 2, 101, {piano, flute}, pluck,
                  C::kArpeggio, B::kRootFifth, D::kLight, 0.45),
             PcmCoding::kDelta, 2, kBoth},
            // A calm evening, in three.
            {"GameData/bgm/bgm02.pcm",
             Make(80, 3, 65, false, {0, 5, 3, 4, 0, 3, 4, 0}, 2, 202, {flute}, strings, C::kHeld,
                  B::kWhole, D::kNone, 0.2),
             PcmCoding::kTransform, 1, kBoth},
            // The lively town.
            {"GameData/bgm/bgm03.pcm",
             Make(132, 4, 67, false, {0, 3, 4, 0, 5, 1, 4, 0}, 2, 303, {clarinet, organ}, piano,
                  C::kStabs, B::kWalk, D::kDance, 0.6),
             PcmCoding::kTransform, 1, kBoth},
            // Tension: a low pulse and a heartbeat.
            {"GameData/bgm/bgm04.pcm",
             Make(100, 4, 62, true, {0, 5, 3, 4, 0, 5, 4, 0}, 1, 404, {strings}, pluck,
                  C::kArpeggio, B::kPulse, D::kHeart, 0.3),
             PcmCoding::kTransform, 1, kBoth},
            // Sad and slow.
            {"GameData/bgm/bgm05.pcm",
             Make(66, 4, 69, true, {0, 5, 3, 4, 0, 3, 4, 0}, 1, 505, {piano}, strings, C::kHeld,
                  B::kWhole, D::kNone, 0.25),
             PcmCoding::kDelta, 1, kBoth},
            // Warm and happy.
            {"GameData/bgm/bgm06.pcm",
             Make(104, 4, 70, false, {0, 3, 0, 4, 5, 3, 4, 0}, 2, 606, {flute, piano}, piano,
                  C::kArpeggio, B::kRootFifth, D::kLight, 0.4),
             PcmCoding::kDelta, 2, kBoth},
            // Night: bells over held strings.
            {"GameData/bgm/bgm07.pcm",
             Make(84, 3, 76, true, {0, 5, 3, 4, 0, 3, 4, 0}, 1, 707, {bell}, strings, C::kHeld,
                  B::kWhole, D::kNone, 0.3),
             PcmCoding::kTransform, 1, kBoth},
            // The sea: a rolling harp in three.
            {"GameData/bgm/bgm08.pcm",
             Make(92, 3, 74, false, {0, 4, 5, 3, 0, 3, 4, 0}, 2, 808, {flute}, pluck, C::kArpeggio,
                  B::kWhole, D::kNone, 0.3),
             PcmCoding::kDelta, 2, kBoth},
            // Spare pieces for the stories.
            {"GameData/bgm/bgm09.pcm",
             Make(120, 4, 69, false, {0, 3, 4, 0, 5, 3, 4, 0}, 1, 909, {piano}, pluck, C::kArpeggio,
                  B::kRootFifth, D::kLight, 0.5),
             PcmCoding::kRaw, 1, kBoth},
            {"GameData/bgm/bgm10.pcm",
             Make(90, 4, 72, true, {0, 3, 4, 0, 5, 3, 4, 0}, 1, 1010, {clarinet}, strings, C::kHeld,
                  B::kRootFifth, D::kNone, 0.3),
             PcmCoding::kTransform, 1, kBoth},
            {"GameData/bgm/bgm11.pcm",
             Make(96, 3, 75, false, {0, 5, 1, 4, 0, 3, 4, 0}, 1, 1111, {flute}, piano, C::kStabs,
                  B::kRootFifth, D::kNone, 0.35),
             PcmCoding::kDelta, 1, kBoth},
            {"GameData/bgm/bgm12.pcm",
             Make(116, 4, 67, true, {0, 5, 3, 4, 0, 5, 4, 0}, 1, 1212, {organ}, pluck, C::kArpeggio,
                  B::kWalk, D::kDance, 0.5),
             PcmCoding::kTransform, 1, kBoth},

            // The screens' own tracks, which they play by name from the
            // first folder (the map from the folder of the story it shows).
            // The title theme.
            {"GameData/bgm/19.pcm",
             Make(100, 4, 72, false, {0, 5, 3, 4, 0, 5, 1, 4, 0, 3, 4, 0}, 1, 1919, {flute},
                  strings, C::kHeld, B::kRootFifth, D::kNone, 0.3),
             PcmCoding::kDelta, 2, kFirst},
            // The picture gallery.
            {"GameData/bgm/09.pcm",
             Make(84, 3, 67, false, {0, 3, 4, 0, 5, 3, 4, 0}, 1, 909909, {piano}, strings, C::kHeld,
                  B::kRootFifth, D::kNone, 0.3),
             PcmCoding::kTransform, 1, kFirst},
            // The map.
            {"GameData/bgm/10.pcm",
             Make(116, 4, 65, false, {0, 4, 5, 3, 0, 3, 4, 0}, 1, 1010101, {flute}, pluck,
                  C::kArpeggio, B::kWalk, D::kLight, 0.45),
             PcmCoding::kDelta, 2, kBoth},
            // The calendar page.
            {"GameData/bgm/12.pcm",
             Make(120, 4, 74, false, {0, 3, 4, 0, 0, 3, 4, 0}, 1, 1212121, {bell}, piano, C::kStabs,
                  B::kRootFifth, D::kLight, 0.4),
             PcmCoding::kRaw, 1, kFirst},
            // The story choice.
            {"GameData/bgm/15.pcm",
             Make(88, 4, 70, false, {0, 5, 3, 4, 0, 3, 4, 0}, 1, 1515, {flute}, pluck, C::kArpeggio,
                  B::kWhole, D::kNone, 0.3),
             PcmCoding::kTransform, 1, kFirst},
        };

        // The staff roll plays once and the roll follows its position: it
        // lasts a little longer than the roll's 220 seconds.
        Piece roll = Make(69, 4, 72, false, {0, 5, 3, 4, 0, 3, 1, 4, 5, 3, 0, 4, 0, 3, 4, 0}, 4,
                          2626, {piano, flute, strings, clarinet}, strings, C::kHeld, B::kRootFifth,
                          D::kNone, 0.3);
        roll.loop = false;
        all.push_back({"GameData/bgm/26.pcm", roll, PcmCoding::kTransform, 1, kFirst});
        // The ending pictures play once over it and follow its position to
        // their last picture at 157 seconds, held and faded for ten more.
        Piece ending = Make(72, 4, 70, false, {0, 5, 3, 4, 0, 3, 4, 0}, 6, 2727,
                            {clarinet, flute, piano, strings, flute, piano}, piano, C::kArpeggio,
                            B::kWhole, D::kNone, 0.3);
        ending.loop = false;
        all.push_back({"GameData/bgm/27.pcm", ending, PcmCoding::kTransform, 1, kFirst});
        // The list of sounds takes the tracks by index.
        if (all.size() != kTrackCount) std::abort();
        return all;
    }();
    return tracks;
}

// Composed once: the pieces go into both folders.
template <size_t N>
Samples ComposeTrack() {
    static const Samples samples = RenderPiece(Tracks()[N].piece, Tracks()[N].channels);
    return samples;
}

// --- Effects

Samples Chime() {
    SoundMix mix(1.4, 1, false);
    mix.Note(BellTone(), 0.0, 0.3, 84, 0.4);
    mix.Note(BellTone(), 0.12, 0.3, 88, 0.35);
    mix.Note(BellTone(), 0.24, 0.6, 91, 0.35);
    return mix.Take(0.7);
}

// A creaking hinge, then the door closing on its frame and the latch.
Samples Door() {
    SoundMix mix(1.4, 1, false);
    Noise noise(22);
    Resonator body;
    Resonator wood;
    double phase = 0;
    for (size_t i = 0; i < mix.Frames(); ++i) {
        double t = i / kKitRate;
        double value = 0;
        if (t < 0.75) {
            // The creak: a rough pulse whose rate wanders.
            double rate = 70 + 40 * std::sin(t * 7.0) + 15 * std::sin(t * 23.0);
            phase += rate / kKitRate;
            double pulse = phase - std::floor(phase) < 0.08 ? 1.0 : 0.0;
            value += body.Step(pulse + 0.1 * noise.Next(), 900, 250) * std::sin(kPi * t / 0.75);
        }
        if (t >= 0.8) {
            double s = t - 0.8;
            value += 1.8 * wood.Step(noise.Next(), 120, 60) * std::exp(-s * 14) +
                     0.5 * std::sin(2 * kPi * 70 * s) * std::exp(-s * 20);
        }
        if (t >= 1.05 && t < 1.08) value += 0.3 * noise.Next() * (1.08 - t) / 0.03;
        mix.Add(i, value);
    }
    return mix.Take(0.7);
}

// Four steps crossing from left to right.
Samples Footsteps() {
    SoundMix mix(1.9, 2, false);
    Noise noise(33);
    for (int step = 0; step < 4; ++step) {
        double start = 0.05 + step * 0.42;
        double pan = 0.15 + 0.23 * step;
        Resonator heel;
        auto first = static_cast<size_t>(start * kKitRate);
        for (size_t i = 0; i < static_cast<size_t>(0.12 * kKitRate); ++i) {
            double t = i / kKitRate;
            double value =
                heel.Step(noise.Next(), 350 + 80 * (step % 2), 400) * 3 * std::exp(-t * 45) +
                0.6 * std::sin(2 * kPi * 85 * t) * std::exp(-t * 35);
            mix.Add(first + i, value, pan);
        }
    }
    return mix.Take(0.6);
}

// Gusts of wind, the two sides moving apart.
Samples Wind() {
    SoundMix mix(4.0, 2, false);
    for (int side = 0; side < 2; ++side) {
        Noise noise(44 + side);
        Resonator low;
        Resonator high;
        for (size_t i = 0; i < mix.Frames(); ++i) {
            double t = i / kKitRate;
            double swell = std::sin(kPi * t / 4.0) * (0.7 + 0.3 * std::sin(t * 2.3 + side));
            double centre = 500 + 300 * std::sin(t * 1.1 + side * 0.8);
            double n = noise.Next();
            double value = low.Step(n, centre, 180) + 0.5 * high.Step(n, centre * 2.1, 300);
            mix.Add(i, value * swell, side == 0 ? 0.1 : 0.9);
        }
    }
    return mix.Take(0.6);
}

// A large bell: partials that are not quite harmonic, each fading at its own pace.
Samples Bell() {
    SoundMix mix(3.5, 1, false);
    static constexpr double kRatios[] = {0.5, 1.0, 1.19, 1.5, 2.0, 2.52, 3.0, 4.18};
    static constexpr double kLevels[] = {0.5, 1.0, 0.6, 0.45, 0.5, 0.3, 0.25, 0.15};
    const double base = 330;
    for (size_t i = 0; i < mix.Frames(); ++i) {
        double t = i / kKitRate;
        double value = 0;
        for (int k = 0; k < 8; ++k)
            value += kLevels[k] * std::sin(2 * kPi * base * kRatios[k] * t) *
                     std::exp(-t * (0.8 + 0.7 * k));
        mix.Add(i, value * std::min(1.0, t / 0.002));
    }
    return mix.Take(0.7);
}

// A crack, then rolling rumble.
Samples Thunder() {
    SoundMix mix(4.0, 1, false);
    Noise noise(66);
    double brown = 0;
    double low = 0;
    for (size_t i = 0; i < mix.Frames(); ++i) {
        double t = i / kKitRate;
        double n = noise.Next();
        brown = 0.997 * brown + 0.03 * n;
        low += 0.05 * (brown - low);
        double rolls = 0.6 + 0.4 * std::sin(t * 5.0) * std::sin(t * 1.7 + 0.5);
        double value = 4 * low * std::min(1.0, t / 0.1) * std::exp(-t * 0.7) * rolls;
        if (t < 0.25) value += 0.5 * n * std::exp(-t * 16);
        mix.Add(i, value);
    }
    return mix.Take(0.8);
}

// Two waves coming in and drawing back.
Samples Waves() {
    SoundMix mix(6.0, 2, false);
    for (int side = 0; side < 2; ++side) {
        Noise noise(77 + side);
        double low = 0;
        for (size_t i = 0; i < mix.Frames(); ++i) {
            double t = i / kKitRate + side * 0.25;
            double within = std::fmod(t, 3.0) / 3.0;
            double swell =
                std::pow(std::sin(kPi * within), 2) * (within < 0.4 ? within / 0.4 : 1.0);
            double cutoff = 0.03 + 0.25 * swell;
            low += cutoff * (noise.Next() - low);
            mix.Add(i, low * swell, side == 0 ? 0.2 : 0.8);
        }
    }
    return mix.Take(0.6);
}

// Three knocks on a wooden door.
Samples Knock() {
    SoundMix mix(0.8, 1, false);
    for (int knock = 0; knock < 3; ++knock) {
        Resonator low;
        Resonator high;
        auto first = static_cast<size_t>((0.03 + knock * 0.18) * kKitRate);
        for (size_t i = 0; i < static_cast<size_t>(0.15 * kKitRate); ++i) {
            double impulse = i < 20 ? 1.0 - i / 20.0 : 0.0;
            double value = 6 * low.Step(impulse, 170, 40) + 3 * high.Step(impulse, 460, 90);
            mix.Add(first + i, value);
        }
    }
    return mix.Take(0.7);
}

// Quick rising bells, scattered left and right.
Samples Sparkle() {
    SoundMix mix(1.6, 2, false);
    static constexpr int kNotes[] = {84, 86, 88, 91, 93, 96, 98, 100, 103, 105};
    for (int i = 0; i < 10; ++i)
        mix.Note(BellTone(), i * 0.06, 0.15, kNotes[i], 0.3 - 0.015 * i, i % 2 == 0 ? 0.25 : 0.75);
    return mix.Take(0.6);
}

// Many people talking at once.
Samples Crowd() {
    SoundMix mix(3.6, 2, false);
    static constexpr double kPitches[] = {120, 210, 150, 240, 130, 190, 170, 260};
    for (int person = 0; person < 8; ++person) {
        Samples line = SpokenLine(kPitches[person], 14, false, 1000 + person);
        auto first = static_cast<size_t>(person * 0.11 * kKitRate);
        double pan = 0.1 + 0.8 * ((person * 3) % 8) / 7.0;
        for (size_t i = 0; i < line.size(); ++i) mix.Add(first + i, line[i] * 0.3, pan);
    }
    return mix.Take(0.6);
}

// --- Voices

// Line N of its folder: the speaker is its group of ten, the wording its own.
Samples VoiceLine(int number) {
    static constexpr double kPitches[3][3] = {{230, 135, 270}, {205, 150, 250}, {185, 115, 290}};
    const int series = number / 1000;
    const int group = (number % 1000 - 1) / 10;
    return SpokenLine(kPitches[series][group], 3 + (number * 7) % 6, number % 4 == 3,
                      static_cast<uint32_t>(number) * 31u + 5u);
}

template <int N>
Samples Voice() {
    return VoiceLine(N);
}

// "voNNNN.pcm", a name with static storage for each line. The main story's
// script asks for "VOICE\voNNNN" and looks in a folder named after the
// line's stem, so its records are "voNNNN\voNNNN.pcm".
template <int N, bool InStemFolder>
struct VoiceName {
    static constexpr std::array<char, 18> value = [] {
        std::array<char, 18> name{};
        std::array<char, 6> stem{'v', 'o', '0', '0', '0', '0'};
        for (int at = 5, rest = N; at >= 2; --at, rest /= 10)
            stem[at] = static_cast<char>('0' + rest % 10);
        size_t length = 0;
        if (InStemFolder) {
            for (char c : stem) name[length++] = c;
            name[length++] = '\\';
        }
        for (char c : stem) name[length++] = c;
        for (char c : {'.', 'p', 'c', 'm'}) name[length++] = c;
        return name;
    }();
};

// Spoken lines are read raw or transform-coded (the delta coding is only read
// for music and effects): every third line raw, the others transform-coded.
constexpr PcmCoding VoiceCoding(int number) {
    return number % 3 == 0 ? PcmCoding::kRaw : PcmCoding::kTransform;
}

template <int Base, size_t... I>
void AddVoices(std::vector<SampleSound>* all, InstallFolder folder, std::index_sequence<I...>) {
    (all->push_back({VoiceName<Base + static_cast<int>(I) + 1, Base == 0>::value.data(),
                     Voice<Base + static_cast<int>(I) + 1>,
                     VoiceCoding(Base + static_cast<int>(I) + 1), 1, true, folder}),
     ...);
}

template <size_t... I>
void AddTracks(std::vector<SampleSound>* all, std::index_sequence<I...>) {
    (all->push_back({Tracks()[I].path, ComposeTrack<I>, Tracks()[I].coding, Tracks()[I].channels,
                     false, Tracks()[I].folder}),
     ...);
}

// A line in the voice folder, which the converter files by its folder.
Samples VoiceFolderLine() {
    return SpokenLine(190, 4, false, 4242);
}

}  // namespace

const std::vector<SampleSound>& TitleSounds() {
    static const std::vector<SampleSound> sounds = [] {
        std::vector<SampleSound> all;
        AddTracks(&all, std::make_index_sequence<kTrackCount>());
        constexpr auto kBoth = InstallFolder::kBoth;
        const SampleSound effects[] = {
            {"GameData/se/se01.pcm", Chime, PcmCoding::kRaw, 1, false, kBoth},
            {"GameData/se/se02.pcm", Door, PcmCoding::kTransform, 1, false, kBoth},
            {"GameData/se/se03.pcm", Footsteps, PcmCoding::kRaw, 2, false, kBoth},
            {"GameData/se/se04.pcm", Wind, PcmCoding::kDelta, 2, false, kBoth},
            {"GameData/se/se05.pcm", Bell, PcmCoding::kTransform, 1, false, kBoth},
            {"GameData/se/se06.pcm", Thunder, PcmCoding::kTransform, 1, false, kBoth},
            {"GameData/se/se07.pcm", Waves, PcmCoding::kDelta, 2, false, kBoth},
            {"GameData/se/se08.pcm", Knock, PcmCoding::kDelta, 1, false, kBoth},
            {"GameData/se/se09.pcm", Sparkle, PcmCoding::kRaw, 2, false, kBoth},
            {"GameData/se/se10.pcm", Crowd, PcmCoding::kDelta, 2, false, kBoth},
        };
        all.insert(all.end(), std::begin(effects), std::end(effects));
        AddVoices<0>(&all, InstallFolder::kFirst, std::make_index_sequence<30>());
        AddVoices<1000>(&all, InstallFolder::kSecond, std::make_index_sequence<30>());
        AddVoices<2000>(&all, InstallFolder::kSecond, std::make_index_sequence<30>());
        all.push_back({"GameData/voice/ev01/v0001.pcm", VoiceFolderLine, PcmCoding::kTransform, 1,
                       false, InstallFolder::kFirst});
        return all;
    }();
    return sounds;
}

}  // namespace pc_title
