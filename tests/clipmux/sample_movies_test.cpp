// The sample title's opening movies read back through the converter's own
// readers: the AVI's streams and the mj file's table hold the frames and the
// sound the title drew and composed, and they become the two movies the
// title looks for.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "clipmux/avi_file.h"
#include "clipmux/mj_file.h"
#include "movie_fixtures.h"
#include "sample/pc_title/install_tree.h"

namespace {

class MemorySource : public formats::ByteSource {
public:
    explicit MemorySource(const formats::ByteVector& bytes) : bytes_(bytes) {}
    uint64_t Size() const override { return bytes_.size(); }
    size_t ReadSomeAt(uint64_t offset, std::span<uint8_t> out) override {
        if (offset >= bytes_.size()) return 0;
        size_t count = std::min<size_t>(out.size(), bytes_.size() - offset);
        std::memcpy(out.data(), bytes_.data() + offset, count);
        return count;
    }

private:
    const formats::ByteVector& bytes_;
};

std::vector<uint8_t> Slice(const formats::ByteVector& bytes, const formats::FileRange& range) {
    return {bytes.begin() + range.offset, bytes.begin() + range.offset + range.size};
}

// The first frame is a whole JPEG of the movie's size.
void ExpectFrame(const std::vector<uint8_t>& jpeg, int width, int height) {
    int w = 0;
    int h = 0;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(clipmux_test::DecodeRgb(jpeg, &w, &h, &rgb));
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
}

TEST(SampleMoviesTest, ReadBackThroughTheConvertersReaders) {
    std::set<std::string> names;
    for (const pc_title::SampleFile& file : pc_title::TitleMovies()) {
        SCOPED_TRACE(file.path);
        const formats::ByteVector bytes = file.make();
        MemorySource source(bytes);
        std::string path = file.path;
        std::string why;
        names.insert(path.substr(0, path.rfind('.')));
        if (path.ends_with(".avi")) {
            clipmux::AviFile avi;
            ASSERT_TRUE(clipmux::ReadAviFile(source, &avi, &why)) << why;
            ASSERT_EQ(avi.streams.size(), 2u);
            const clipmux::AviStream& video = avi.streams[0];
            const clipmux::AviStream& audio = avi.streams[1];
            ASSERT_TRUE(video.IsVideo());
            ASSERT_TRUE(audio.IsAudio());
            clipmux::BitmapInfo info;
            ASSERT_TRUE(clipmux::ParseBitmapInfo(video.format, &info));
            EXPECT_EQ(std::memcmp(&info.compression, "MJPG", 4), 0);
            EXPECT_EQ(video.length, video.chunks.size());
            const double seconds = static_cast<double>(video.length) * video.scale / video.rate;
            EXPECT_GE(seconds, 3.0);
            ExpectFrame(Slice(bytes, video.chunks.front()), info.width, info.height);
            // 16-bit PCM that lasts as long as the pictures.
            ASSERT_GE(audio.format.size(), 16u);
            EXPECT_EQ(formats::ReadLe16(audio.format, 0), 1);
            const uint32_t rate = formats::ReadLe32(audio.format, 4);
            const uint16_t blockAlign = formats::ReadLe16(audio.format, 12);
            EXPECT_EQ(audio.chunkBytes, uint64_t{audio.length} * blockAlign);
            EXPECT_NEAR(static_cast<double>(audio.length) / rate, seconds, 0.01);
        } else {
            clipmux::MjFile mj;
            ASSERT_TRUE(clipmux::ReadMjFile(source, &mj, &why)) << why;
            ASSERT_FALSE(mj.frames.empty());
            EXPECT_EQ(mj.sounds.size(), mj.frames.size());
            const double seconds =
                static_cast<double>(mj.frames.size()) * mj.rateDenominator / mj.rateNumerator;
            EXPECT_GE(seconds, 3.0);
            EXPECT_NEAR(static_cast<double>(mj.soundBytes) / (2.0 * mj.channels * mj.sampleRate),
                        seconds, 0.01);
            ExpectFrame(Slice(bytes, mj.frames.front()), 640, 480);
        }
    }
    EXPECT_EQ(names, (std::set<std::string>{"QV_Long", "QV_Long2"}));
}

}  // namespace
