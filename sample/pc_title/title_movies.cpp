// The sample title's two opening movies: the sun rising over snowy hills as
// the snow falls, while the title's letters drop into place to a short tune. The AVI one becomes
// the program folder's QV_Long2.mov, which the title plays; the ".mj" one, the same scene by night,
// its QV_Long.mov, which the title falls back on.

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "sample/pc_title/avi_writer.h"
#include "sample/pc_title/canvas.h"
#include "sample/pc_title/install_tree.h"
#include "sample/pc_title/mj_writer.h"
#include "sample/pc_title/sound_kit.h"

namespace pc_title {

namespace {

using formats::ByteVector;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFramesPerSecond = 15;
constexpr double kSeconds = 8.0;
constexpr int kJpegQuality = 85;

// The title's letters on a 5 x 7 grid, a row per string.
struct Letter {
    char name;
    const char* rows[7];
};
constexpr Letter kLetters[] = {
    {'Q', {".XXX.", "X...X", "X...X", "X...X", "X.X.X", "X..X.", ".XX.X"}},
    {'U', {"X...X", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."}},
    {'V', {"X...X", "X...X", "X...X", "X...X", ".X.X.", ".X.X.", "..X.."}},
    {'O', {".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."}},
    {'S', {".XXXX", "X....", "X....", ".XXX.", "....X", "....X", "XXXX."}},
    {'K', {"X...X", "X..X.", "X.X..", "XX...", "X.X..", "X..X.", "X...X"}},
    {'E', {"XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "XXXXX"}},
    {'R', {"XXXX.", "X...X", "X...X", "XXXX.", "X.X..", "X..X.", "X...X"}},
    {'I', {".XXX.", "..X..", "..X..", "..X..", "..X..", "..X..", ".XXX."}},
    {'N', {"X...X", "XX..X", "X.X.X", "X.X.X", "X..XX", "X...X", "X...X"}},
    {'T', {"XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "..X.."}},
    {'A', {".XXX.", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"}},
};
constexpr char kTitle[] = "QUEVARA";
constexpr int kCell = 10;            // pixels per grid square
constexpr int kAdvance = 6 * kCell;  // a letter and its gap
constexpr int kTitleTop = 120;
constexpr double kFirstLetterAt = 2.4;  // seconds
constexpr double kLetterStep = 0.14;
constexpr double kDropTime = 0.45;

const Letter* FindLetter(char name) {
    for (const Letter& letter : kLetters)
        if (letter.name == name) return &letter;
    return nullptr;
}

// Mix for the per-pixel loops: the same colours without a library call per
// channel (every value here is positive, so adding a half rounds).
Colour Blend(Colour a, Colour b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {static_cast<int>(a.r + (b.r - a.r) * t + 0.5),
            static_cast<int>(a.g + (b.g - a.g) * t + 0.5),
            static_cast<int>(a.b + (b.b - a.b) * t + 0.5)};
}

double Smooth(double x) {
    x = std::clamp(x, 0.0, 1.0);
    return x * x * (3 - 2 * x);
}

void DrawLetter(Canvas& c, const Letter& letter, int left, int top, Colour face, Colour edge) {
    for (int row = 0; row < 7; ++row) {
        for (int column = 0; column < 5; ++column) {
            if (letter.rows[row][column] != 'X') continue;
            int x = left + column * kCell;
            int y = top + row * kCell;
            c.Box(x + 3, y + 3, x + kCell + 3, y + kCell + 3, edge);  // the shadow
        }
    }
    for (int row = 0; row < 7; ++row) {
        for (int column = 0; column < 5; ++column) {
            if (letter.rows[row][column] != 'X') continue;
            int x = left + column * kCell;
            int y = top + row * kCell;
            c.Box(x, y, x + kCell, y + kCell, Mix(face, {255, 255, 255}, row < 3 ? 0.25 : 0.0));
        }
    }
}

// Frame `index` of the opening; `night` swaps the dawn for a moonlit sky.
DrawnPicture DrawOpeningFrame(int index, bool night) {
    const double t = static_cast<double>(index) / kFramesPerSecond;
    const double dawn = night ? 0.0 : Smooth(t / 6.0);
    Canvas c(kWidth, kHeight, {0, 0, 0});

    // The sky, lightening as the sun comes up.
    const Colour topNight{10, 14, 44};
    const Colour lowNight{48, 40, 96};
    const Colour topDay{70, 110, 190};
    const Colour lowDay{255, 180, 120};
    const Colour top = Mix(topNight, topDay, dawn);
    const Colour low = Mix(lowNight, lowDay, dawn);
    const double sunX = night ? 520 : 500;
    const double sunY = night ? 90 : 400 - 120 * Smooth(t / 5.5);
    const Colour glowColour = night ? Colour{140, 150, 200} : Colour{255, 230, 170};
    const double glowRadius = night ? 110.0 : 190.0;
    for (int y = 0; y < kHeight; ++y) {
        const Colour row = Blend(top, low, y / 330.0);
        c.Box(0, y, kWidth, y + 1, row);
        // The glow only where it reaches.
        double dy = y - sunY;
        if (std::abs(dy) >= glowRadius) continue;
        double half = std::sqrt(glowRadius * glowRadius - dy * dy);
        for (int x = std::max(0, static_cast<int>(sunX - half));
             x <= std::min(kWidth - 1, static_cast<int>(sunX + half)); ++x) {
            double glow = std::max(0.0, 1.0 - std::hypot(x - sunX, dy) / glowRadius);
            c.Set(x, y, Blend(row, glowColour, glow * 0.7));
        }
    }
    if (night) {
        Lcg random(771);
        for (int i = 0; i < 90; ++i) {
            int x = random.Below(kWidth);
            int y = random.Below(280);
            // Each star twinkles at its own pace.
            double twinkle = 0.6 + 0.4 * std::sin(t * (2 + i % 5) + i);
            int shade = static_cast<int>(150 + 100 * twinkle);
            c.Box(x, y, x + 2, y + 2, {shade, shade, std::min(255, shade + 20)});
        }
        // A full moon with a few grey seas.
        c.Ellipse(sunX, sunY, 30, 30, {236, 236, 214});
        c.Ellipse(sunX - 9, sunY - 6, 8, 7, {206, 208, 192});
        c.Ellipse(sunX + 8, sunY + 9, 6, 5, {210, 212, 196});
        c.Ellipse(sunX + 10, sunY - 10, 4, 4, {214, 214, 200});
    } else {
        c.Ellipse(sunX, sunY, 40, 40, {255, 236, 180});
    }

    // Two rows of snowy hills drifting at different speeds.
    const Colour far = night ? Colour{60, 64, 110} : Mix({80, 76, 130}, {170, 160, 200}, dawn);
    const Colour near = night ? Colour{120, 130, 170} : Mix({130, 136, 180}, {236, 232, 246}, dawn);
    // The near hill darkens with depth below its top.
    std::vector<Colour> nearShades(kHeight);
    for (int d = 0; d < kHeight; ++d)
        nearShades[d] = Blend(near, night ? Colour{40, 48, 90} : Colour{150, 160, 210}, d / 140.0);
    for (int x = 0; x < kWidth; ++x) {
        double fx = x + t * 8;
        double nx = x + t * 22;
        int farTop =
            static_cast<int>(320 + 22 * std::sin(fx / 70.0) + 10 * std::sin(fx / 29.0 + 1));
        int nearTop =
            static_cast<int>(385 + 28 * std::sin(nx / 110.0 + 2) + 8 * std::sin(nx / 37.0));
        for (int y = farTop; y < nearTop; ++y) c.Set(x, y, far);
        for (int y = nearTop; y < kHeight; ++y) c.Set(x, y, nearShades[y - nearTop]);
    }

    // Snow falling, swaying a little, the nearer flakes larger and faster.
    Lcg drift(4242);
    for (int i = 0; i < 70; ++i) {
        double startX = drift.Below(kWidth);
        double startY = drift.Below(kHeight);
        double size = 1.5 + drift.Below(3);
        double speed = 18 * size;
        double x = std::fmod(startX + 14 * std::sin(t * 1.5 + i) + t * 6 + kWidth, kWidth);
        double y = std::fmod(startY + t * speed, kHeight + 10) - 5;
        c.Ellipse(x, y, size, size, {250, 250, 255});
    }

    // The title's letters drop into place one after another, then a shine
    // runs across them.
    const int titleLength = static_cast<int>(sizeof kTitle - 1);
    const int titleLeft = (kWidth - (titleLength * kAdvance - kCell)) / 2;
    for (int i = 0; i < titleLength; ++i) {
        double landed = (t - kFirstLetterAt - i * kLetterStep) / kDropTime;
        if (landed <= 0) continue;
        const Letter* letter = FindLetter(kTitle[i]);
        if (letter == nullptr) continue;
        // A fall with a small bounce at the end.
        double fall = landed >= 1
                          ? 0
                          : (1 - Smooth(landed)) * -220 + std::sin(landed * std::numbers::pi) * 12;
        double shine = std::max(0.0, 1.0 - std::abs((t - 6.0) * 260 - (i * kAdvance)) / 60.0);
        Colour face =
            Mix(night ? Colour{200, 210, 255} : Colour{255, 246, 220}, {255, 255, 255}, shine);
        DrawLetter(c, *letter, titleLeft + i * kAdvance, kTitleTop + static_cast<int>(fall), face,
                   night ? Colour{20, 20, 50} : Colour{120, 70, 60});
    }
    // A thin line under the title once every letter is down.
    double line = Smooth((t - kFirstLetterAt - titleLength * kLetterStep - 0.2) / 0.8);
    if (line > 0) {
        int half = static_cast<int>(line * (titleLength * kAdvance) / 2);
        c.Box(kWidth / 2 - half, kTitleTop + 7 * kCell + 18, kWidth / 2 + half,
              kTitleTop + 7 * kCell + 21, night ? Colour{200, 210, 255} : Colour{255, 246, 220});
    }

    // In from black, and out to black at the end.
    double brightness = std::min({1.0, t / 1.0, (kSeconds - t) / 0.6});
    if (brightness < 1) {
        DrawnPicture picture = c.Take();
        for (uint8_t& v : picture.pixels)
            v = static_cast<uint8_t>(v * std::max(0.0, brightness) + 0.5);
        return picture;
    }
    return c.Take();
}

// The tune: four bars of a bright theme, its last chord ringing out.
std::vector<int16_t> OpeningTune(int channels, bool night) {
    Piece piece;
    piece.bpm = 120;
    piece.tonic = night ? 69 : 72;
    piece.minor = night;
    piece.chords = {0, 5, 3, 4};
    piece.passes = 1;
    piece.seed = night ? 88 : 77;
    piece.leads = {night ? &BellTone() : &FluteTone()};
    piece.chordInstrument = &PluckTone();
    piece.chordStyle = ChordStyle::kArpeggio;
    piece.bassStyle = BassStyle::kRootFifth;
    piece.loop = false;
    std::vector<int16_t> tune = RenderPiece(piece, channels);
    const auto frames = static_cast<size_t>(kSeconds * kKitRate);
    tune.resize(frames * channels, 0);
    // A closing chord where the letters have landed, then a fade.
    SoundMix close(kSeconds, channels, false);
    const double at = kFirstLetterAt + (sizeof kTitle - 1) * kLetterStep + 0.2;
    for (int note : {0, 4, 7, 12})
        close.Note(BellTone(), at, 1.5, piece.tonic + note + (night && note == 4 ? -1 : 0), 0.2);
    std::vector<int16_t> chord = close.Take(0.35);
    for (size_t i = 0; i < tune.size(); ++i) {
        double t = static_cast<double>(i / channels) / kKitRate;
        double fade = std::clamp((kSeconds - t) / 0.8, 0.0, 1.0);
        tune[i] =
            static_cast<int16_t>(std::clamp((tune[i] * 0.8 + chord[i]) * fade, -32767.0, 32767.0));
    }
    return tune;
}

MotionJpegMovie Opening(bool night, int channels) {
    MotionJpegMovie movie;
    movie.width = kWidth;
    movie.height = kHeight;
    movie.rateNumerator = kFramesPerSecond;
    movie.rateDenominator = 1;
    const int frames = static_cast<int>(kSeconds * kFramesPerSecond);
    for (int i = 0; i < frames; ++i)
        movie.frames.push_back(EncodeJpeg(DrawOpeningFrame(i, night), kJpegQuality));
    movie.channels = static_cast<uint16_t>(channels);
    movie.sampleRate = static_cast<uint32_t>(kKitRate);
    movie.sound = OpeningTune(channels, night);
    return movie;
}

ByteVector DawnOpening() {
    return WriteAviMovie(Opening(false, 2));
}

ByteVector NightOpening() {
    return WriteMjMovie(Opening(true, 1));
}

}  // namespace

const std::vector<SampleFile>& TitleMovies() {
    static const std::vector<SampleFile> files = {
        {"QV_Long2.avi", DawnOpening, InstallFolder::kFirst},
        {"QV_Long.mj", NightOpening, InstallFolder::kSecond},
    };
    return files;
}

}  // namespace pc_title
