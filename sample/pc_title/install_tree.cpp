#include "sample/pc_title/install_tree.h"

#include "sample/pc_title/canvas.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <system_error>

namespace pc_title {

namespace fs = std::filesystem;
using formats::ByteVector;

namespace {

double FarHill(int x) {
    return 350 + 28 * std::sin(x / 90.0) + 13 * std::sin(x / 37.0 + 1.0);
}
double NearHill(int x) {
    return 425 + 38 * std::sin(x / 140.0 + 2.0) + 11 * std::sin(x / 45.0);
}

// The shared landscape of both backgrounds; `night` darkens it and swaps
// the sun for a moon and stars.
DrawnPicture DrawPlace(bool night) {
    Canvas c(kSamplePictureWidth, kSamplePictureHeight, {0, 0, 0});
    const int w = c.Width();
    const int h = c.Height();
    Colour skyTop = night ? Colour{8, 12, 38} : Colour{38, 66, 150};
    Colour skyLow = night ? Colour{44, 52, 96} : Colour{250, 172, 112};
    const double sunX = 610;
    const double sunY = 255;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Colour sky = Mix(skyTop, skyLow, y / 380.0);
            // A soft glow around the sun (or the moon).
            double d = std::hypot(x - sunX, y - sunY);
            double glow = std::max(0.0, 1.0 - d / (night ? 120.0 : 200.0));
            c.Set(x, y,
                  Mix(sky, night ? Colour{120, 130, 170} : Colour{255, 236, 190}, glow * 0.6));
        }
    }
    if (night) {
        Lcg random(20240611);
        for (int i = 0; i < 140; ++i) {
            int x = random.Below(w);
            int y = random.Below(330);
            int shade = 170 + random.Below(86);
            c.Set(x, y, {shade, shade, std::min(255, shade + 20)});
        }
        c.Ellipse(sunX, sunY, 34, 34, {235, 235, 210});
        c.Ellipse(sunX + 14, sunY - 8, 30, 30, Mix(skyTop, skyLow, sunY / 380.0));
    } else {
        c.Ellipse(sunX, sunY, 46, 46, {255, 232, 176});
    }

    Colour far = night ? Colour{34, 36, 66} : Colour{112, 100, 142};
    Colour nearTop = night ? Colour{22, 48, 40} : Colour{82, 150, 74};
    Colour nearLow = night ? Colour{10, 24, 22} : Colour{40, 96, 46};
    Colour path = night ? Colour{70, 66, 80} : Colour{206, 184, 140};
    for (int x = 0; x < w; ++x) {
        int farTop = static_cast<int>(FarHill(x));
        for (int y = farTop; y < h; ++y) c.Set(x, y, Mix(far, skyLow, 0.15 * (y - farTop) / 60.0));
        int nearTopY = static_cast<int>(NearHill(x));
        for (int y = nearTopY; y < h; ++y)
            c.Set(x, y, Mix(nearTop, nearLow, static_cast<double>(y - nearTopY) / (h - 380)));
    }
    // A path winding from the bottom edge up into the hills.
    for (int y = 440; y < h; ++y) {
        double t = (y - 440) / static_cast<double>(h - 440);
        double cx = 420 + 60 * std::sin(t * 3.2 + 0.4);
        double half = 6 + 70 * t * t;
        for (int x = static_cast<int>(cx - half); x <= static_cast<int>(cx + half); ++x) {
            if (y >= NearHill(x) + 4) c.Set(x, y, Mix(path, nearLow, 0.3 * (1 - t)));
        }
    }
    // Three trees on the near hill.
    const int treeX[] = {130, 190, 690};
    const int treeHeight[] = {110, 80, 130};
    for (int i = 0; i < 3; ++i) {
        int base = static_cast<int>(NearHill(treeX[i])) + 10;
        Colour trunk = night ? Colour{30, 22, 20} : Colour{96, 64, 40};
        Colour leaves = night ? Colour{12, 34, 26} : Colour{34, 92, 48};
        c.Box(treeX[i] - 5, base - 30, treeX[i] + 5, base, trunk);
        c.Trapezoid(base - 30 - treeHeight[i], base - 20, treeX[i], 2, treeX[i],
                    treeHeight[i] / 3.0, leaves);
    }
    return c.Take();
}

// A small tile map of the town: grass, a road, houses and a pond.
ByteVector TownMap() {
    constexpr uint8_t kWidth = 12;
    constexpr uint8_t kHeight = 8;
    ByteVector map = {'T', 'M', 'A', 'P', kWidth, kHeight};
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint8_t tile = 0;                                        // grass
            if (y == 4 || x == 5) tile = 1;                          // road
            if ((y == 2 || y == 6) && (x == 2 || x == 8)) tile = 2;  // house
            if (x >= 9 && y <= 1) tile = 3;                          // pond
            map.push_back(tile);
        }
    }
    return map;
}

bool WriteFile(const fs::path& root, const std::string& relative, const ByteVector& bytes,
               InstallReport* report, std::string* error) {
    fs::path path = root / fs::path(relative);
    std::error_code code;
    fs::create_directories(path.parent_path(), code);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) file.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!file || !file.flush()) {
        *error = path.string() + ": cannot write" + (code ? " (" + code.message() + ")" : "");
        return false;
    }
    if (report != nullptr) {
        report->files.push_back(relative);
        report->bytes += bytes.size();
    }
    return true;
}

}  // namespace

DrawnPicture DrawHillsBackground() {
    return DrawPlace(false);
}

DrawnPicture DrawNightBackground() {
    return DrawPlace(true);
}

DrawnPicture DrawCharacter() {
    Canvas c(kSamplePictureWidth, kSamplePictureHeight, kKey);
    const Colour outline{46, 34, 56};
    const Colour hair{92, 58, 52};
    const Colour hairLight{128, 84, 70};
    const Colour skin{248, 222, 202};
    const Colour skinShade{226, 190, 172};
    const Colour dress{70, 112, 196};
    const Colour dressShade{50, 82, 156};
    const Colour collar{240, 240, 248};
    const double cx = 400;
    // The outline first, as slightly larger shapes behind the colours.
    c.Trapezoid(232, 600, cx, 52, cx, 168, outline);
    c.Trapezoid(248, 524, cx - 84, 24, cx - 170, 26, outline);
    c.Trapezoid(248, 524, cx + 84, 24, cx + 170, 26, outline);
    c.Ellipse(cx - 70, 262, 44, 30, outline);
    c.Ellipse(cx + 70, 262, 44, 30, outline);
    c.Ellipse(cx - 172, 530, 24, 20, outline);
    c.Ellipse(cx + 172, 530, 24, 20, outline);
    c.Ellipse(cx, 150, 80, 92, outline);
    c.Box(cx - 24, 200, cx + 25, 250, outline);
    // Sleeves, hands, body with a shaded side, neck and collar.
    c.Trapezoid(252, 520, cx - 84, 20, cx - 168, 22, dressShade);
    c.Trapezoid(252, 520, cx + 84, 20, cx + 168, 22, dress);
    c.Ellipse(cx - 70, 262, 40, 26, dressShade);
    c.Ellipse(cx + 70, 262, 40, 26, dress);
    c.Ellipse(cx - 172, 530, 20, 16, skinShade);
    c.Ellipse(cx + 172, 530, 20, 16, skin);
    c.Trapezoid(236, 600, cx, 48, cx, 164, dress);
    c.Trapezoid(236, 600, cx - 24, 24, cx - 82, 82, dressShade);
    c.Box(cx - 20, 200, cx + 21, 246, skinShade);
    c.Trapezoid(236, 262, cx, 46, cx, 10, collar);
    // Head: hair behind, face, fringe, eyes and mouth.
    c.Ellipse(cx, 150, 76, 88, hair);
    c.Box(static_cast<int>(cx) - 76, 150, static_cast<int>(cx) - 50, 280, hair);
    c.Box(static_cast<int>(cx) + 50, 150, static_cast<int>(cx) + 77, 280, hair);
    c.Ellipse(cx, 168, 58, 66, skin);
    c.Ellipse(cx, 112, 66, 38, hair);
    c.Ellipse(cx - 24, 96, 30, 12, hairLight);
    c.Ellipse(cx - 22, 172, 7, 11, outline);
    c.Ellipse(cx + 22, 172, 7, 11, outline);
    c.Ellipse(cx - 20, 168, 2.5, 3.5, collar);
    c.Ellipse(cx + 24, 168, 2.5, 3.5, collar);
    c.Box(static_cast<int>(cx) - 10, 206, static_cast<int>(cx) + 11, 209, Colour{196, 104, 110});
    return c.Take();
}

DrawnPicture DrawMessageWindowSheet() {
    Canvas c(kSamplePictureWidth, kSamplePictureHeight, kKey);
    const Colour border{228, 228, 255};
    const Colour inner{146, 150, 214};
    const Colour deep{14, 18, 52};
    const Colour light{40, 48, 110};
    // The window: a light rim, a thin inner line, then eight bands of blue
    // getting lighter downwards (few colours, so it keeps a palette).
    c.RoundedBox(20, 420, 780, 590, 18, border);
    c.RoundedBox(25, 425, 775, 585, 14, inner);
    for (int y = 428; y < 582; ++y) {
        Colour band = Mix(deep, light, std::min(7, (y - 428) / 20) / 7.0);
        for (int x = 28; x < 772; ++x) {
            if (Canvas::InRoundedBox(x, y, 28, 428, 772, 582, 11)) c.Set(x, y, band);
        }
    }
    // The name plate above the window.
    c.RoundedBox(36, 372, 236, 416, 10, border);
    c.RoundedBox(40, 376, 232, 412, 7, deep);
    // The page-wait arrow in the window's lower right corner.
    for (int y = 0; y < 14; ++y) {
        int half = (14 - y) * 9 / 14;
        c.Box(740 - half, 556 + y, 741 + half, 557 + y, Colour{255, 214, 110});
    }
    return c.Take();
}

namespace {

template <typename T>
void Append(std::vector<T>* all, const std::vector<T>& part) {
    all->insert(all->end(), part.begin(), part.end());
}

bool InFolder(InstallFolder entry, InstallFolder folder) {
    return (static_cast<uint8_t>(entry) & static_cast<uint8_t>(folder)) != 0;
}

}  // namespace

const std::vector<SamplePicture>& SamplePictures() {
    static const std::vector<SamplePicture> pictures = [] {
        std::vector<SamplePicture> all = {
            {"GameData/bg/BG01.crx", DrawHillsBackground, CrxWriteScheme::Zlib, false},
            {"GameData/bg/BG01N.crx", DrawNightBackground, CrxWriteScheme::Lz, false},
            {"GameData/chara/CH01.crx", DrawCharacter, CrxWriteScheme::Lz, true},
            {"GameData/system/WINDOW.crx", DrawMessageWindowSheet, CrxWriteScheme::Zlib, true},
        };
        Append(&all, SystemSheets());
        Append(&all, MainStoryPictures());
        Append(&all, FurtherStoryPictures());
        return all;
    }();
    return pictures;
}

const std::vector<SampleSound>& SampleSounds() {
    return TitleSounds();
}

const std::vector<SampleFile>& SampleFiles() {
    static const std::vector<SampleFile> files = [] {
        std::vector<SampleFile> all = {{"GameData/map/town.MAP", TownMap}};
        Append(&all, TitleMovies());
        return all;
    }();
    return files;
}

bool PalettizePicture(const DrawnPicture& picture, CrxSource* out) {
    auto colourAt = [&](size_t i) {
        const uint8_t* p = &picture.pixels[i * 3];
        return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
    };
    constexpr uint32_t kMagenta = 255 | (0 << 8) | (255 << 16);
    const size_t pixelCount = size_t{picture.width} * picture.height;
    // Colour to index; the indices are given once every colour is known.
    std::map<uint32_t, uint8_t> indexOf;
    bool hasKey = false;
    for (size_t i = 0; i < pixelCount; ++i) {
        uint32_t colour = colourAt(i);
        if (colour == kMagenta) {
            hasKey = true;
        } else {
            indexOf.emplace(colour, 0);
        }
        if (indexOf.size() + (hasKey ? 1 : 0) > 256) return false;
    }
    CrxSource source;
    source.width = picture.width;
    source.height = picture.height;
    // Magenta first when present, the other colours in order of value.
    if (hasKey) source.palette.push_back({255, 0, 255});
    for (auto& [colour, index] : indexOf) {
        index = static_cast<uint8_t>(source.palette.size());
        source.palette.push_back({static_cast<uint8_t>(colour), static_cast<uint8_t>(colour >> 8),
                                  static_cast<uint8_t>(colour >> 16)});
    }
    if (hasKey) indexOf[kMagenta] = 0;
    source.pixels.resize(pixelCount);
    for (size_t i = 0; i < pixelCount; ++i) source.pixels[i] = indexOf[colourAt(i)];
    *out = std::move(source);
    return true;
}

namespace {

bool WriteFolder(const fs::path& root, InstallFolder folder, const char* name,
                 InstallReport* report, std::string* error) {
    const fs::path base = root / name;
    const std::string prefix = std::string(name) + "/";
    auto write = [&](const std::string& relative, const ByteVector& bytes) {
        if (!WriteFile(base, relative, bytes, nullptr, error)) return false;
        if (report != nullptr) {
            report->files.push_back(prefix + relative);
            report->bytes += bytes.size();
        }
        return true;
    };
    std::string why;
    if (!write(kSampleTitleExecutable, {})) return false;

    for (const SamplePicture& entry : SamplePictures()) {
        if (!InFolder(entry.folder, folder)) continue;
        DrawnPicture drawn = entry.draw();
        CrxSource source;
        if (entry.palette) {
            if (!PalettizePicture(drawn, &source)) {
                *error = std::string(entry.path) + ": more than 256 colours for a palette";
                return false;
            }
        } else {
            source.width = drawn.width;
            source.height = drawn.height;
            source.pixels = std::move(drawn.pixels);
        }
        CrxWriteOptions options;
        options.scheme = entry.scheme;
        // Every row filter, in an irregular order, so all of them are read.
        if (!entry.palette && entry.scheme == CrxWriteScheme::Zlib)
            options.rowFilters = {0, 1, 2, 3, 4, 2, 0, 3, 1, 4, 4, 1};
        ByteVector crx;
        if (!WriteCrx(source, options, &crx, &why)) {
            *error = std::string(entry.path) + ": " + why;
            return false;
        }
        if (!write(entry.path, crx)) return false;
    }

    for (const SampleFile& file : SampleFiles()) {
        if (InFolder(file.folder, folder) && !write(file.path, file.make())) return false;
    }

    std::vector<VoiceDatEntry> records;
    for (const SampleSound& sound : SampleSounds()) {
        if (!InFolder(sound.folder, folder)) continue;
        std::vector<int16_t> samples = sound.compose();
        ByteVector pcm = WritePcmSound(sound.coding, sound.channels, kSampleSoundRate, samples);
        if (sound.voiceRecord) {
            records.push_back({sound.path, std::move(pcm)});
        } else if (!write(sound.path, pcm)) {
            return false;
        }
    }
    return records.empty() || write("GameData/voice.dat", WriteVoiceDat(records));
}

}  // namespace

bool WriteSampleInstall(const fs::path& root, InstallReport* report, std::string* error) {
    return WriteFolder(root, InstallFolder::kFirst, kFirstFolderName, report, error) &&
           WriteFolder(root, InstallFolder::kSecond, kSecondFolderName, report, error);
}

}  // namespace pc_title
