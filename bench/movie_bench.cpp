// The movie player's work per frame: one 320 x 240 JPEG decoded from memory
// (fast integer transform, plain upsampling, one scanline a call) and drawn
// turned into a device buffer in memory. Printed beside the JPEG library's
// own decoding figure for the same file with the same settings, from its
// tjbench program (Debian libjpeg-turbo-progs) when that is installed; the
// goal is that the player's decode and draw take at most 1.25 times the
// library's decode alone.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "engine/movie/frame_decoder.h"
#include "engine/movie/frame_drawing.h"

namespace {

constexpr uint32_t kWidth = 320;
constexpr uint32_t kHeight = 240;
// The movie converter's default quality.
constexpr int kQuality = 60;

// A frame with the detail of a real picture: soft gradients, edges and a
// fine texture.
std::vector<uint8_t> Scene() {
    std::vector<uint8_t> bgr;
    uint32_t noise = 12345;
    for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < kWidth; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int grain = static_cast<int>((noise >> 16) & 15) - 8;
            const double wave = std::sin(x * 0.05) * std::cos(y * 0.07);
            const bool disc = (x - 200) * (x - 200) + (y - 110) * (y - 110) < 60 * 60;
            auto clamp = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
            const int base = disc ? 200 : 90;
            bgr.push_back(clamp(base + static_cast<int>(wave * 50) + grain));
            bgr.push_back(clamp(static_cast<int>(y) + grain));
            bgr.push_back(clamp(static_cast<int>(x * 255 / kWidth) - (disc ? 60 : 0) + grain));
        }
    }
    return bgr;
}

std::vector<uint8_t> Encode(const std::vector<uint8_t>& bgr) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = kWidth;
    info.image_height = kHeight;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kQuality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < kHeight) {
        auto* row = const_cast<JSAMPROW>(bgr.data() + size_t{info.next_scanline} * kWidth * 3);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&info);
    std::free(out);
    return bytes;
}

const std::vector<uint8_t>& Frame() {
    static const std::vector<uint8_t> frame = Encode(Scene());
    return frame;
}

struct Player {
    movie::FrameDecoder decoder;
    std::vector<uint8_t> device = std::vector<uint8_t>(platform::kDeviceBufferBytes);

    bool DecodeAndDraw() {
        const std::vector<uint8_t>& frame = Frame();
        if (!decoder.Decode(frame.data(), frame.size(), kWidth, kHeight)) return false;
        movie::DrawFrame({decoder.FrameBuffer(), kWidth, kHeight}, device.data(),
                         platform::kDeviceDisplayProperties);
        return true;
    }
};

// The library alone as tjbench drives it: the same settings, every row in
// one call, blue-green-red output; timed the way the player is below.
struct LibraryDecode {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    std::vector<uint8_t> out = std::vector<uint8_t>(kWidth * kHeight * 3);
    LibraryDecode() {
        info.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&info);
    }
    ~LibraryDecode() { jpeg_destroy_decompress(&info); }
    void Decode() {
        jpeg_mem_src(&info, Frame().data(), Frame().size());
        jpeg_read_header(&info, TRUE);
        info.dct_method = JDCT_IFAST;
        info.do_fancy_upsampling = FALSE;
        info.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&info);
        JSAMPROW rows[kHeight];
        for (uint32_t y = 0; y < kHeight; ++y) rows[y] = out.data() + size_t{y} * kWidth * 3;
        while (info.output_scanline < info.output_height)
            jpeg_read_scanlines(&info, rows + info.output_scanline,
                                info.output_height - info.output_scanline);
        jpeg_finish_decompress(&info);
    }
};

// The fastest single run of work over two seconds, in microseconds: other
// work on the machine only ever slows a run down.
template <typename Work>
double FastestMicroseconds(Work&& work) {
    for (int i = 0; i < 50; ++i) work();
    double fastest = 1e30;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < end) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const double run =
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count();
        if (run < fastest) fastest = run;
    }
    return fastest;
}

void BM_MovieFrameDecodeAndDraw(benchmark::State& state) {
    Player player;
    for (auto _ : state) {
        if (!player.DecodeAndDraw()) state.SkipWithError("the frame did not decode");
        benchmark::DoNotOptimize(player.device.data());
        benchmark::ClobberMemory();
    }
    state.counters["jpeg_bytes"] = static_cast<double>(Frame().size());
}
BENCHMARK(BM_MovieFrameDecodeAndDraw)->Unit(benchmark::kMicrosecond);

void BM_MovieFrameDrawOnly(benchmark::State& state) {
    Player player;
    player.DecodeAndDraw();
    for (auto _ : state) {
        movie::DrawFrame({player.decoder.FrameBuffer(), kWidth, kHeight}, player.device.data(),
                         platform::kDeviceDisplayProperties);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MovieFrameDrawOnly)->Unit(benchmark::kMicrosecond);

// Microseconds per frame of the library's own decoder on the same file with
// the same settings, or a negative value when tjbench is missing or says
// nothing we can read.
double TjbenchMicroseconds(std::string* why) {
    namespace fs = std::filesystem;
    const fs::path file = fs::temp_directory_path() / "mirelo_movie_bench_320x240.jpg";
    if (FILE* out = std::fopen(file.string().c_str(), "wb")) {
        std::fwrite(Frame().data(), 1, Frame().size(), out);
        std::fclose(out);
    }
    // BGR output, as the player decodes; -quiet prints one table row.
    const std::string command = "tjbench '" + file.string() +
                                "' -fastdct -fastupsample -bgr -nowrite -quiet -benchtime 0.01 "
                                "-warmup 0.01 2>/dev/null";
    // The best of many short runs, as for the player's own figure.
    double best = -1;
    for (int run = 0; run < 40; ++run) {
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) {
            *why = "cannot run tjbench";
            break;
        }
        std::string output;
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
        if (pclose(pipe) != 0) {
            *why = "tjbench is not installed (Debian package libjpeg-turbo-progs)";
            break;
        }
        // The last number of the last row is the decompression rate in
        // megapixels per second.
        double rate = -1;
        for (size_t at = output.find_first_of("0123456789"); at != std::string::npos;
             at = output.find_first_of("0123456789", at)) {
            size_t used = 0;
            rate = std::stod(output.substr(at), &used);
            at += used;
        }
        if (rate <= 0) {
            *why = "cannot read tjbench's output: " + output;
            break;
        }
        if (rate > best) best = rate;
    }
    std::error_code ignored;
    fs::remove(file, ignored);
    return best > 0 ? kWidth * kHeight / best : -1;
}

void BM_MovieFrameVersusTjbench(benchmark::State& state) {
    std::string why;
    const double reference = TjbenchMicroseconds(&why);
    if (reference < 0) {
        std::printf("movie frame: no comparison with the JPEG library's figure: %s\n", why.c_str());
        state.SkipWithError(why.c_str());
        return;
    }
    Player player;
    LibraryDecode library;
    double ours = 0;
    double libraryAlone = 0;
    for (auto _ : state) {
        ours = FastestMicroseconds([&player] { player.DecodeAndDraw(); });
        libraryAlone = FastestMicroseconds([&library] { library.Decode(); });
    }
    state.counters["player_us"] = ours;
    state.counters["tjbench_us"] = reference;
    state.counters["library_us"] = libraryAlone;
    state.counters["ratio"] = ours / reference;
    std::printf(
        "movie frame 320 x 240 (%zu bytes): player decode + draw %.1f us; tjbench decode %.1f us, "
        "ratio %.2f (goal at most 1.25); the library's decode timed like the player's %.1f us, "
        "ratio %.2f\n",
        Frame().size(), ours, reference, ours / reference, libraryAlone, ours / libraryAlone);
}
BENCHMARK(BM_MovieFrameVersusTjbench)->Iterations(1)->Unit(benchmark::kMicrosecond);

}  // namespace
